#include "pe/MappedFile.h"
#include "platform/HostPath.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tidewell::pe {

std::optional<MappedFile> MappedFile::Open(const std::filesystem::path& file, std::string* error) {
  auto fail = [&](const char* what) -> std::optional<MappedFile> {
    if (error) *error = std::string(what) + " " + file.string();
    return std::nullopt;
  };
  MappedFile mapped;
#ifdef _WIN32
  HANDLE handle = CreateFileW(SystemPath(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return fail("cannot open");
  mapped.file_ = handle;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return fail("cannot read the size of");
  mapped.size_ = static_cast<uint64_t>(size.QuadPart);
  if (mapped.size_ == 0) return mapped;
  HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return fail("cannot map");
  mapped.mapping_ = mapping;
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (!view) return fail("cannot map");
  mapped.data_ = static_cast<const uint8_t*>(view);
#else
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail("cannot open");
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return fail("not a readable file:");
  }
  mapped.size_ = static_cast<uint64_t>(info.st_size);
  if (mapped.size_ > 0) {
    void* view = ::mmap(nullptr, mapped.size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED) {
      ::close(fd);
      return fail("cannot map");
    }
    mapped.data_ = static_cast<const uint8_t*>(view);
  }
  ::close(fd);
#endif
  return mapped;
}

MappedFile::MappedFile(MappedFile&& other) noexcept { *this = std::move(other); }

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
#ifdef _WIN32
    file_ = std::exchange(other.file_, nullptr);
    mapping_ = std::exchange(other.mapping_, nullptr);
#endif
  }
  return *this;
}

MappedFile::~MappedFile() { Release(); }

void MappedFile::Release() {
#ifdef _WIN32
  if (data_) UnmapViewOfFile(data_);
  if (mapping_) CloseHandle(mapping_);
  if (file_) CloseHandle(file_);
  mapping_ = file_ = nullptr;
#else
  if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
#endif
  data_ = nullptr;
  size_ = 0;
}

}  // namespace tidewell::pe
