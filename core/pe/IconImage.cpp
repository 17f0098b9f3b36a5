#include "pe/IconImage.h"

#include "pe/ByteReader.h"

namespace tidewell::pe {

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr uint32_t kBitmapCoreHeaderSize = 12;
constexpr uint32_t kBitmapInfoHeaderSize = 40;

uint32_t BigEndian(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

std::optional<IconImageSize> Positive(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return IconImageSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

}  // namespace

std::optional<IconImageSize> ReadIconImageSize(std::string_view image) {
  if (image.substr(0, kPngSignature.size()) == kPngSignature) {
    // Signature, then the IHDR chunk: length, "IHDR", width, height (big-endian).
    if (image.size() < 24 || image.substr(12, 4) != "IHDR") return std::nullopt;
    return Positive(BigEndian(image, 16), BigEndian(image, 20));
  }
  const ByteReader r(image);
  const auto headerSize = r.readU32(0);
  if (!headerSize) return std::nullopt;
  // The header must lie inside the image, with one plane and a bit count a
  // bitmap can have: a text or other data that merely starts with a
  // plausible size is not an icon image.
  if (*headerSize > image.size()) return std::nullopt;
  auto validBitCount = [](uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  };
  if (*headerSize == kBitmapCoreHeaderSize) {
    const auto width = r.readU16(4), height = r.readU16(6);
    const auto planes = r.readU16(8), bits = r.readU16(10);
    if (!width || !height || planes != 1 || !bits || !validBitCount(*bits)) return std::nullopt;
    return Positive(*width, *height / 2);
  }
  if (*headerSize < kBitmapInfoHeaderSize) return std::nullopt;
  const auto width = r.readU32(4), height = r.readU32(8);
  const auto planes = r.readU16(12), bits = r.readU16(14);
  if (!width || !height || planes != 1 || !bits || !validBitCount(*bits)) return std::nullopt;
  return Positive(static_cast<int32_t>(*width), static_cast<int32_t>(*height) / 2);
}

}  // namespace tidewell::pe
