#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tidewell::pe::testing {

// A small PE image put together byte by byte, for PE32 files (no 32-bit
// MinGW here) and for headers that lie.
struct CraftedSection {
  std::string name;
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;  // 0: the data's size
  std::string data;
  uint32_t characteristics = 0x40000040;  // initialized data, readable
};

struct CraftedPe {
  static constexpr uint32_t kNtHeaders = 0x40;  // e_lfanew
  static constexpr uint32_t kFileHeader = kNtHeaders + 4;
  static constexpr uint32_t kOptionalHeader = kFileHeader + 20;

  bool pe32Plus = false;
  uint32_t fileAlignment = 0x200;
  uint32_t sectionAlignment = 0x1000;
  uint32_t sizeOfHeaders = 0x400;
  uint32_t checkSum = 0;
  std::vector<CraftedSection> sections;
  std::map<uint32_t, std::pair<uint32_t, uint32_t>> directories;  // index -> address, size
  std::string overlay;

  uint32_t OptionalHeaderSize() const { return pe32Plus ? 240 : 224; }
  uint32_t SectionTable() const { return kOptionalHeader + OptionalHeaderSize(); }
  uint32_t DirectoryOffset(uint32_t index) const {
    return kOptionalHeader + (pe32Plus ? 112 : 96) + 8 * index;
  }
  // The raw data of section `index` starts here in the built file.
  uint32_t RawOffset(size_t index) const;
  std::string Build() const;
};

// Little-endian 32-bit words, for hand-made resource directories.
std::string Words(std::initializer_list<uint32_t> words);

}  // namespace tidewell::pe::testing
