#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace tidewell::pe {

// A read-only view of a whole file. Only the pages that are read are brought
// in, so looking at the headers of a large file costs little. The view stays
// valid while the object lives; it is released on destruction. (As with the
// platform's own mapping of a module, a file cut short by another program
// while it is mapped cannot be read safely.)
class MappedFile {
 public:
  static std::optional<MappedFile> Open(const std::filesystem::path& file, std::string* error);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  std::span<const uint8_t> Bytes() const { return {data_, size_}; }

 private:
  MappedFile() = default;
  void Release();

  const uint8_t* data_ = nullptr;
  uint64_t size_ = 0;
#ifdef _WIN32
  void* file_ = nullptr;
  void* mapping_ = nullptr;
#endif
};

}  // namespace tidewell::pe
