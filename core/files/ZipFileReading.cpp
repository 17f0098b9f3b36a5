#include "files/ZipFileReading.h"

#include "platform/ReadAt.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace tidewell {

namespace {

constexpr size_t kBufferBytes = 64 * 1024;

struct BufferedFile {
  int descriptor = -1;
  uint64_t size = 0;
  uint64_t position = 0;
  uint64_t bufferStart = 0;
  size_t bufferLength = 0;
  bool failed = false;
  std::unique_ptr<char[]> buffer{new char[kBufferBytes]};
};

// Reads at `offset` until `count` bytes are in or the file ends; an error
// marks the file failed.
ssize_t ReadAt(BufferedFile& file, char* into, size_t count, uint64_t offset) {
  const ssize_t n = tidewell::ReadAt(file.descriptor, into, count, offset);
  if (n < 0) file.failed = true;
  return n;
}

voidpf ZCALLBACK Open(voidpf, const void* name, int mode) {
  if (!name || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ)
    return nullptr;
  const int descriptor = ::open(static_cast<const char*>(name), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat st {};
  auto* file = new (std::nothrow) BufferedFile;
  if (!file || ::fstat(descriptor, &st) != 0 || !S_ISREG(st.st_mode)) {
    delete file;
    ::close(descriptor);
    return nullptr;
  }
  file->descriptor = descriptor;
  file->size = static_cast<uint64_t>(st.st_size);
  return file;
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* into, uLong size) {
  auto& file = *static_cast<BufferedFile*>(stream);
  auto* out = static_cast<char*>(into);
  size_t done = 0;
  while (done < size) {
    const size_t wanted = size - done;
    const uint64_t at = file.position;
    if (at >= file.bufferStart && at < file.bufferStart + file.bufferLength) {
      const size_t offset = static_cast<size_t>(at - file.bufferStart);
      const size_t taken = std::min(wanted, file.bufferLength - offset);
      std::memcpy(out + done, file.buffer.get() + offset, taken);
      done += taken;
      file.position += taken;
      continue;
    }
    // Long reads (an entry's data) go straight to the caller.
    if (wanted >= kBufferBytes) {
      const ssize_t n = ReadAt(file, out + done, wanted, at);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
      file.position += static_cast<uint64_t>(n);
      continue;
    }
    const ssize_t n = ReadAt(file, file.buffer.get(), kBufferBytes, at);
    if (n <= 0) break;
    file.bufferStart = at;
    file.bufferLength = static_cast<size_t>(n);
  }
  return static_cast<uLong>(done);
}

uLong ZCALLBACK Write(voidpf, voidpf stream, const void*, uLong) {
  static_cast<BufferedFile*>(stream)->failed = true;
  return 0;
}

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) {
  return static_cast<BufferedFile*>(stream)->position;
}

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto& file = *static_cast<BufferedFile*>(stream);
  uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      base = 0;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      base = file.position;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      base = file.size;
      break;
    default:
      return -1;
  }
  // The offset is unsigned; a seek back from the end comes as its two's
  // complement, so the sum wraps to the place meant.
  file.position = base + offset;
  return 0;
}

int ZCALLBACK Close(voidpf, voidpf stream) {
  auto* file = static_cast<BufferedFile*>(stream);
  const int result = ::close(file->descriptor);
  delete file;
  return result == 0 ? 0 : EOF;
}

int ZCALLBACK Error(voidpf, voidpf stream) {
  return static_cast<BufferedFile*>(stream)->failed ? 1 : 0;
}

}  // namespace

void FillBufferedZipFileFunctions(zlib_filefunc64_def& functions) {
  functions.zopen64_file = Open;
  functions.zread_file = Read;
  functions.zwrite_file = Write;
  functions.ztell64_file = Tell;
  functions.zseek64_file = Seek;
  functions.zclose_file = Close;
  functions.zerror_file = Error;
  functions.opaque = nullptr;
}

}  // namespace tidewell

#endif
