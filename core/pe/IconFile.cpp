#include "pe/IconFile.h"

#include <cstdint>
#include <limits>

#include "pe/ByteReader.h"
#include "pe/IconImage.h"

namespace tidewell::pe {

namespace {

constexpr uint32_t kDirectorySize = 6;  // reserved, type 1 (icon), count
constexpr uint32_t kEntrySize = 16;

void PutU16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The directory entry writes 256 and more as 0.
char SizeByte(int32_t pixels) { return static_cast<char>(pixels >= 256 ? 0 : pixels); }

}  // namespace

std::string IconImageAsIcoFile(std::string_view image) {
  const auto size = ReadIconImageSize(image);
  if (!size || image.size() > std::numeric_limits<uint32_t>::max() - kDirectorySize - kEntrySize)
    return {};
  // A PNG image carries its depth inside; a bitmap header gives its bit count.
  uint16_t bitCount = 32;
  if (image.substr(0, 4) != "\x89PNG") {
    const ByteReader reader(image);
    const auto headerSize = reader.readU32(0);
    const auto bits = reader.readU16(*headerSize == 12 ? 10 : 14);
    if (bits) bitCount = *bits;
  }
  std::string file;
  file.reserve(kDirectorySize + kEntrySize + image.size());
  PutU16(file, 0);
  PutU16(file, 1);
  PutU16(file, 1);
  file += SizeByte(size->width);
  file += SizeByte(size->height);
  file += '\0';  // colour count: none for this entry, the image says
  file += '\0';  // reserved
  PutU16(file, 1);  // planes
  PutU16(file, bitCount);
  PutU32(file, static_cast<uint32_t>(image.size()));
  PutU32(file, kDirectorySize + kEntrySize);
  file.append(image);
  return file;
}

}  // namespace tidewell::pe
