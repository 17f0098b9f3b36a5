#include "pe/PeImage.h"

#include <algorithm>

namespace tidewell::pe {

namespace {

constexpr uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kPe32FixedOptionalSize = 96;
constexpr uint32_t kPe32PlusFixedOptionalSize = 112;
constexpr uint32_t kMaxDirectories = 16;

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

std::optional<PeImage> Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return std::nullopt;
}

}  // namespace

std::string SectionHeader::Name() const {
  const auto end = std::find(name.begin(), name.end(), uint8_t{0});
  return std::string(name.begin(), end);
}

uint64_t SectionHeader::VirtualEnd(uint32_t sectionAlignment) const {
  const uint64_t size = virtualSize != 0 ? virtualSize : sizeOfRawData;
  const uint64_t align = sectionAlignment ? sectionAlignment : 1;
  return virtualAddress + (size + align - 1) / align * align;
}

std::optional<PeImage> PeImage::Parse(std::span<const uint8_t> file, std::string* error) {
  PeImage image;
  image.reader_ = ByteReader(file);
  const ByteReader& r = image.reader_;

  if (r.readU16(0) != uint16_t{0x5A4D} || r.Size() < 64)
    return Fail(error, "not a PE file: no DOS header");
  const uint32_t lfanew = *r.readU32(0x3C);
  if (r.readU32(lfanew) != kNtSignature)
    return Fail(error, "not a PE file: no PE signature where the DOS header points");
  image.fileHeaderOffset_ = uint64_t{lfanew} + 4;
  if (!r.Contains(image.fileHeaderOffset_, kFileHeaderSize))
    return Fail(error, "truncated PE file: the file header is cut off");
  const uint16_t numberOfSections = *r.readU16(image.fileHeaderOffset_ + 2);
  image.pointerToSymbolTable_ = *r.readU32(image.fileHeaderOffset_ + 8);
  const uint16_t sizeOfOptionalHeader = *r.readU16(image.fileHeaderOffset_ + 16);
  image.optionalHeaderOffset_ = image.fileHeaderOffset_ + kFileHeaderSize;
  const uint64_t opt = image.optionalHeaderOffset_;

  if (!r.Contains(opt, sizeOfOptionalHeader))
    return Fail(error, "truncated PE file: the optional header is cut off");
  const auto magic = r.readU16(opt);
  if (!magic || (*magic != kMagicPe32 && *magic != kMagicPe32Plus))
    return Fail(error, "unsupported PE file: the optional header is neither PE32 nor PE32+");
  image.magic_ = *magic;
  const uint32_t fixedSize = image.Is64() ? kPe32PlusFixedOptionalSize : kPe32FixedOptionalSize;
  if (sizeOfOptionalHeader < fixedSize)
    return Fail(error, "malformed PE file: the optional header is too small");

  image.sizeOfInitializedData_ = *r.readU32(opt + 8);
  image.sectionAlignment_ = *r.readU32(opt + 32);
  image.fileAlignment_ = *r.readU32(opt + 36);
  image.sizeOfImage_ = *r.readU32(opt + 56);
  image.sizeOfHeaders_ = *r.readU32(opt + 60);
  image.checkSum_ = *r.readU32(opt + 64);
  if (!IsPowerOfTwo(image.fileAlignment_) || !IsPowerOfTwo(image.sectionAlignment_))
    return Fail(error, "malformed PE file: the section or file alignment is not a power of two");

  const uint32_t declaredDirectories = *r.readU32(opt + fixedSize - 4);
  const uint32_t roomForDirectories = (sizeOfOptionalHeader - fixedSize) / 8;
  const uint32_t directories = std::min({declaredDirectories, roomForDirectories, kMaxDirectories});
  image.dataDirectoriesOffset_ = opt + fixedSize;
  for (uint32_t i = 0; i < directories; ++i) {
    const uint64_t at = image.dataDirectoriesOffset_ + 8ull * i;
    image.directories_.push_back({*r.readU32(at), *r.readU32(at + 4)});
  }

  image.sectionTableOffset_ = opt + sizeOfOptionalHeader;
  if (!r.Contains(image.sectionTableOffset_, uint64_t{SectionHeader::kSize} * numberOfSections))
    return Fail(error, "truncated PE file: the section table runs past the end of the file");

  uint64_t rawEnd = std::min<uint64_t>(image.sizeOfHeaders_, r.Size());
  for (uint16_t i = 0; i < numberOfSections; ++i) {
    const uint64_t at = image.sectionTableOffset_ + uint64_t{SectionHeader::kSize} * i;
    SectionHeader s;
    std::copy_n(r.readBytes(at, 8)->begin(), 8, s.name.begin());
    s.virtualSize = *r.readU32(at + 8);
    s.virtualAddress = *r.readU32(at + 12);
    s.sizeOfRawData = *r.readU32(at + 16);
    s.pointerToRawData = *r.readU32(at + 20);
    s.pointerToRelocations = *r.readU32(at + 24);
    s.pointerToLinenumbers = *r.readU32(at + 28);
    s.numberOfRelocations = *r.readU16(at + 32);
    s.numberOfLinenumbers = *r.readU16(at + 34);
    s.characteristics = *r.readU32(at + 36);
    if (s.sizeOfRawData != 0) {
      if (!r.Contains(s.pointerToRawData, s.sizeOfRawData))
        return Fail(error, "truncated PE file: the raw data of section \"" + s.Name() +
                               "\" lies past the end of the file");
      rawEnd = std::max<uint64_t>(rawEnd, uint64_t{s.pointerToRawData} + s.sizeOfRawData);
    }
    image.sections_.push_back(s);
  }
  image.overlayOffset_ = rawEnd;
  return image;
}

DataDirectory PeImage::Directory(uint32_t index) const {
  return index < directories_.size() ? directories_[index] : DataDirectory{};
}

std::optional<size_t> PeImage::SectionOfRva(uint32_t rva) const {
  for (size_t i = 0; i < sections_.size(); ++i) {
    const SectionHeader& s = sections_[i];
    if (rva >= s.virtualAddress && rva < s.VirtualEnd(sectionAlignment_)) return i;
  }
  return std::nullopt;
}

std::optional<PeImage::RawPlace> PeImage::LocateRva(uint32_t rva) const {
  for (const SectionHeader& s : sections_) {
    if (rva < s.virtualAddress) continue;
    const uint64_t delta = rva - s.virtualAddress;
    if (delta >= std::max(s.virtualSize, s.sizeOfRawData)) continue;
    if (delta >= s.sizeOfRawData) return std::nullopt;  // zero-filled once loaded, absent here
    return RawPlace{s.pointerToRawData + delta, uint64_t{s.pointerToRawData} + s.sizeOfRawData};
  }
  const uint64_t headersEnd = std::min<uint64_t>(sizeOfHeaders_, reader_.Size());
  if (rva < headersEnd) return RawPlace{rva, headersEnd};
  return std::nullopt;
}

std::optional<uint64_t> PeImage::RvaToOffset(uint32_t rva, uint32_t size) const {
  const auto place = LocateRva(rva);
  if (!place || size > place->limit - place->offset) return std::nullopt;
  return place->offset;
}

std::optional<std::span<const uint8_t>> PeImage::ReadRva(uint32_t rva, uint32_t size) const {
  const auto offset = RvaToOffset(rva, size);
  if (!offset) return std::nullopt;
  return reader_.readBytes(*offset, size);
}

std::optional<ByteReader> PeImage::ReaderFromRva(uint32_t rva) const {
  const auto place = LocateRva(rva);
  if (!place) return std::nullopt;
  return reader_.Sub(place->offset, place->limit - place->offset);
}

}  // namespace tidewell::pe
