#include "CraftedPe.h"

#include <algorithm>

#include "PeTestSupport.h"

namespace tidewell::pe::testing {

namespace {

uint32_t AlignUp(uint64_t value, uint32_t alignment) {
  return static_cast<uint32_t>((value + alignment - 1) / alignment * alignment);
}

}  // namespace

uint32_t CraftedPe::RawOffset(size_t index) const {
  uint32_t at = AlignUp(sizeOfHeaders, fileAlignment);
  for (size_t i = 0; i < index; ++i) at += AlignUp(sections[i].data.size(), fileAlignment);
  return at;
}

std::string CraftedPe::Build() const {
  std::string file(RawOffset(sections.size()), '\0');
  file[0] = 'M';
  file[1] = 'Z';
  SetU32(file, 0x3C, kNtHeaders);
  file.replace(kNtHeaders, 4, std::string("PE\0\0", 4));
  SetU16(file, kFileHeader, pe32Plus ? 0x8664 : 0x14C);
  SetU16(file, kFileHeader + 2, static_cast<uint16_t>(sections.size()));
  SetU16(file, kFileHeader + 16, static_cast<uint16_t>(OptionalHeaderSize()));
  SetU16(file, kFileHeader + 18, pe32Plus ? 0x0022 : 0x0102);

  const uint32_t opt = kOptionalHeader;
  SetU16(file, opt, pe32Plus ? 0x20B : 0x10B);
  uint32_t initialized = 0, imageEnd = sectionAlignment;
  for (const CraftedSection& s : sections) {
    initialized += AlignUp(s.data.size(), fileAlignment);
    const uint32_t size = s.virtualSize ? s.virtualSize : static_cast<uint32_t>(s.data.size());
    imageEnd = std::max(imageEnd, AlignUp(uint64_t{s.virtualAddress} + size, sectionAlignment));
  }
  SetU32(file, opt + 8, initialized);
  SetU32(file, opt + 16, sections.empty() ? 0 : sections[0].virtualAddress);
  if (pe32Plus) {
    SetU32(file, opt + 24, 0x40000000);
    SetU32(file, opt + 28, 0x1);  // image base 0x140000000
  } else {
    SetU32(file, opt + 28, 0x400000);
  }
  SetU32(file, opt + 32, sectionAlignment);
  SetU32(file, opt + 36, fileAlignment);
  SetU16(file, opt + 40, 6);
  SetU16(file, opt + 48, 6);
  SetU32(file, opt + 56, imageEnd);
  SetU32(file, opt + 60, sizeOfHeaders);
  SetU32(file, opt + 64, checkSum);
  SetU16(file, opt + 68, 3);  // console
  SetU32(file, opt + (pe32Plus ? 108 : 92), 16);
  for (const auto& [index, dir] : directories) {
    SetU32(file, DirectoryOffset(index), dir.first);
    SetU32(file, DirectoryOffset(index) + 4, dir.second);
  }

  for (size_t i = 0; i < sections.size(); ++i) {
    const CraftedSection& s = sections[i];
    const uint32_t at = SectionTable() + 40 * static_cast<uint32_t>(i);
    file.replace(at, std::min<size_t>(8, s.name.size()), s.name.substr(0, 8));
    SetU32(file, at + 8, s.virtualSize ? s.virtualSize : static_cast<uint32_t>(s.data.size()));
    SetU32(file, at + 12, s.virtualAddress);
    SetU32(file, at + 16, AlignUp(s.data.size(), fileAlignment));
    SetU32(file, at + 20, RawOffset(i));
    SetU32(file, at + 36, s.characteristics);
    file.replace(RawOffset(i), s.data.size(), s.data);
  }
  return file + overlay;
}

std::string Words(std::initializer_list<uint32_t> words) {
  std::string bytes;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(w >> (8 * i)));
  return bytes;
}

}  // namespace tidewell::pe::testing
