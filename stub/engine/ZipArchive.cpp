#include "ZipArchive.h"

#include <zlib.h>

#include <algorithm>

#include "Text.h"

namespace tidewatch::engine {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kChunk = 64 * 1024;
// The central directory is read whole; a listing larger than this is no
// archive a publisher ships.
constexpr std::uint64_t kMaxCentralDirectory = 64ull * 1024 * 1024;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool ReadAt(FileReader& reader, std::uint64_t offset, std::uint8_t* data, std::size_t size, Failure& failure) {
  if (!reader.Seek(offset, failure)) return false;
  std::size_t done = 0;
  while (done < size) {
    std::size_t got = 0;
    if (!reader.Read(data + done, size - done, got, failure)) return false;
    if (got == 0) {
      failure = {"the archive ends early", 0};
      return false;
    }
    done += got;
  }
  return true;
}

bool Damaged(Failure& failure, const char* what) {
  failure = {std::string("the archive is damaged: ") + what, 0};
  return false;
}

}  // namespace

bool ZipArchive::Open(std::unique_ptr<FileReader> reader, Failure& failure) {
  reader_ = std::move(reader);
  entries_.clear();
  const std::uint64_t size = reader_->Size();
  const std::uint64_t tail = std::min<std::uint64_t>(size, 22 + 65535);
  if (tail < 22) return Damaged(failure, "too short to be an archive");
  std::vector<std::uint8_t> end(static_cast<std::size_t>(tail));
  if (!ReadAt(*reader_, size - tail, end.data(), end.size(), failure)) return false;
  std::size_t at = end.size() - 22;
  while (U32(&end[at]) != kEndSignature) {
    if (at == 0) return Damaged(failure, "no end of central directory");
    --at;
  }
  const std::uint16_t count = U16(&end[at + 10]);
  const std::uint32_t directorySize = U32(&end[at + 12]);
  const std::uint32_t directoryOffset = U32(&end[at + 16]);
  if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
    failure = {"archives in the ZIP64 format are not unpacked", 0};
    return false;
  }
  if (static_cast<std::uint64_t>(directoryOffset) + directorySize > size || directorySize > kMaxCentralDirectory)
    return Damaged(failure, "the central directory lies outside the file");
  std::vector<std::uint8_t> directory(directorySize);
  if (!ReadAt(*reader_, directoryOffset, directory.data(), directory.size(), failure)) return false;
  std::size_t pos = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (directory.size() - pos < 46 || U32(&directory[pos]) != kCentralSignature)
      return Damaged(failure, "a central directory record is cut short");
    const std::uint8_t* r = &directory[pos];
    const std::size_t nameLength = U16(r + 28), extraLength = U16(r + 30), commentLength = U16(r + 32);
    if (directory.size() - pos - 46 < nameLength + extraLength + commentLength)
      return Damaged(failure, "a central directory record is cut short");
    ZipEntry entry;
    entry.method = U16(r + 10);
    entry.crc = U32(r + 16);
    entry.compressedSize = U32(r + 20);
    entry.size = U32(r + 24);
    entry.localHeader = U32(r + 42);
    std::u16string name = FromUtf8(std::string_view(reinterpret_cast<const char*>(r + 46), nameLength));
    std::replace(name.begin(), name.end(), u'/', u'\\');
    entry.folder = !name.empty() && name.back() == u'\\';
    if (entry.folder) name.pop_back();
    entry.name = std::move(name);
    entries_.push_back(std::move(entry));
    pos += 46 + nameLength + extraLength + commentLength;
  }
  return true;
}

bool ZipArchive::Extract(const ZipEntry& entry, FileWriter& out, Failure& failure) {
  if (entry.method != 0 && entry.method != 8) {
    failure = {"the entry " + ToUtf8(entry.name) + " is compressed by a method the client does not unpack", 0};
    return false;
  }
  std::uint8_t local[30];
  if (!ReadAt(*reader_, entry.localHeader, local, sizeof local, failure)) return false;
  if (U32(local) != kLocalSignature) return Damaged(failure, "a local header is missing");
  const std::uint64_t dataStart = entry.localHeader + 30 + U16(local + 26) + U16(local + 28);
  if (dataStart + entry.compressedSize > reader_->Size()) return Damaged(failure, "an entry lies outside the file");
  if (!reader_->Seek(dataStart, failure)) return false;

  std::vector<std::uint8_t> in(kChunk), inflated(kChunk);
  z_stream z{};
  if (entry.method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK) return Damaged(failure, "inflate could not start");
  std::uint64_t remaining = entry.compressedSize, produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  bool ok = true, finished = entry.method == 0;
  auto emit = [&](const std::uint8_t* data, std::size_t size) {
    produced += size;
    crc = crc32(crc, data, static_cast<uInt>(size));
    return out.Write(data, size, failure);
  };
  while (ok && remaining > 0) {
    std::size_t got = 0;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, in.size()));
    if (!reader_->Read(in.data(), want, got, failure)) { ok = false; break; }
    if (got == 0) { ok = Damaged(failure, "an entry is cut short"); break; }
    remaining -= got;
    if (entry.method == 0) {
      ok = emit(in.data(), got);
      continue;
    }
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(got);
    // Until this input is used up and inflate has nothing more to give.
    do {
      z.next_out = inflated.data();
      z.avail_out = static_cast<uInt>(inflated.size());
      const int status = inflate(&z, Z_NO_FLUSH);
      if (status == Z_BUF_ERROR) break;  // needs more input
      if (status != Z_OK && status != Z_STREAM_END) { ok = Damaged(failure, "an entry does not inflate"); break; }
      ok = emit(inflated.data(), inflated.size() - z.avail_out);
      finished = status == Z_STREAM_END;
      if (produced > entry.size) { ok = Damaged(failure, "an entry is larger than its record says"); break; }
    } while (ok && !finished && (z.avail_in > 0 || z.avail_out == 0));
  }
  if (entry.method == 8) inflateEnd(&z);
  if (!ok) return false;
  if (!finished) return Damaged(failure, "an entry's compressed data ends early");
  if (produced != entry.size || crc != entry.crc) return Damaged(failure, "an entry's size or CRC does not match");
  return true;
}

}  // namespace tidewatch::engine
