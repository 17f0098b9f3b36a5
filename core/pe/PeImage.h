#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pe/ByteReader.h"

namespace tidewell::pe {

// Indexes into the optional header's data directories.
enum DataDirectoryIndex : uint32_t {
  kResourceDirectory = 2,
  kCertificateTable = 4,
  kBaseRelocationTable = 5,
  kDebugDirectory = 6,
  kBoundImportTable = 11,
};

struct DataDirectory {
  uint32_t address = 0;  // an RVA, except for the certificate table: a file offset
  uint32_t size = 0;
};

struct SectionHeader {
  static constexpr uint32_t kSize = 40;
  static constexpr uint32_t kInitializedData = 0x00000040;
  static constexpr uint32_t kMemoryRead = 0x40000000;

  std::array<uint8_t, 8> name{};
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t sizeOfRawData = 0;
  uint32_t pointerToRawData = 0;
  uint32_t pointerToRelocations = 0;
  uint32_t pointerToLinenumbers = 0;
  uint16_t numberOfRelocations = 0;
  uint16_t numberOfLinenumbers = 0;
  uint32_t characteristics = 0;

  std::string Name() const;  // up to the first zero byte
  // The span of the image the section occupies once loaded.
  uint64_t VirtualEnd(uint32_t sectionAlignment) const;
};

// The headers of a PE32 or PE32+ file, checked against the file's size: the
// DOS header, the NT headers, the optional header with its data directories,
// and the section table. Every offset and size was checked when parsing, so
// the accessors below never reach outside the file.
class PeImage {
 public:
  static constexpr uint16_t kMagicPe32 = 0x10B;
  static constexpr uint16_t kMagicPe32Plus = 0x20B;

  static std::optional<PeImage> Parse(std::span<const uint8_t> file, std::string* error);

  bool Is64() const { return magic_ == kMagicPe32Plus; }
  uint64_t FileSize() const { return reader_.Size(); }
  const ByteReader& File() const { return reader_; }

  // File offsets of header fields, for a writer that patches them.
  uint64_t FileHeaderOffset() const { return fileHeaderOffset_; }
  uint64_t OptionalHeaderOffset() const { return optionalHeaderOffset_; }
  uint64_t CheckSumOffset() const { return optionalHeaderOffset_ + 64; }
  uint64_t SizeOfInitializedDataOffset() const { return optionalHeaderOffset_ + 8; }
  uint64_t SizeOfImageOffset() const { return optionalHeaderOffset_ + 56; }
  uint64_t DataDirectoryOffset(uint32_t index) const {
    return dataDirectoriesOffset_ + 8ull * index;
  }
  uint64_t SectionTableOffset() const { return sectionTableOffset_; }
  uint64_t NumberOfSectionsOffset() const { return fileHeaderOffset_ + 2; }
  uint64_t PointerToSymbolTableOffset() const { return fileHeaderOffset_ + 8; }

  uint32_t FileAlignment() const { return fileAlignment_; }
  uint32_t SectionAlignment() const { return sectionAlignment_; }
  uint32_t SizeOfHeaders() const { return sizeOfHeaders_; }
  uint32_t SizeOfImage() const { return sizeOfImage_; }
  uint32_t SizeOfInitializedData() const { return sizeOfInitializedData_; }
  uint32_t CheckSum() const { return checkSum_; }
  uint32_t PointerToSymbolTable() const { return pointerToSymbolTable_; }

  // Directories beyond NumberOfRvaAndSizes read as empty.
  DataDirectory Directory(uint32_t index) const;
  uint32_t NumberOfDirectories() const { return static_cast<uint32_t>(directories_.size()); }
  const std::vector<SectionHeader>& Sections() const { return sections_; }

  // Where the bytes after the last section's raw data start (the overlay).
  uint64_t OverlayOffset() const { return overlayOffset_; }

  // The file offset of `size` bytes at `rva`, when all of them lie in the
  // headers or in one section's raw data.
  std::optional<uint64_t> RvaToOffset(uint32_t rva, uint32_t size) const;
  std::optional<std::span<const uint8_t>> ReadRva(uint32_t rva, uint32_t size) const;
  // The bytes from `rva` to the end of the raw data (or headers) holding it.
  std::optional<ByteReader> ReaderFromRva(uint32_t rva) const;
  // The index of the section whose loaded span holds `rva`.
  std::optional<size_t> SectionOfRva(uint32_t rva) const;

 private:
  struct RawPlace {
    uint64_t offset;  // of the RVA in the file
    uint64_t limit;   // end of the raw data that holds it
  };
  std::optional<RawPlace> LocateRva(uint32_t rva) const;

  ByteReader reader_;
  uint16_t magic_ = 0;
  uint64_t fileHeaderOffset_ = 0;
  uint64_t optionalHeaderOffset_ = 0;
  uint64_t dataDirectoriesOffset_ = 0;
  uint64_t sectionTableOffset_ = 0;
  uint32_t fileAlignment_ = 0;
  uint32_t sectionAlignment_ = 0;
  uint32_t sizeOfHeaders_ = 0;
  uint32_t sizeOfImage_ = 0;
  uint32_t sizeOfInitializedData_ = 0;
  uint32_t checkSum_ = 0;
  uint32_t pointerToSymbolTable_ = 0;
  std::vector<DataDirectory> directories_;
  std::vector<SectionHeader> sections_;
  uint64_t overlayOffset_ = 0;
};

}  // namespace tidewell::pe
