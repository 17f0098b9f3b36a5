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

// Bytes of one row of `width` pixels of `bits` bits, padded to 4 bytes.
uint64_t RowBytes(uint64_t width, uint64_t bits) { return (width * bits + 31) / 32 * 4; }

constexpr uint32_t kPngMaxChunkLength = 0x7FFFFFFF;
constexpr uint32_t kBitmapRgb = 0;
constexpr uint32_t kBitmapBitFields = 3;

bool IsCompletePng(std::string_view image) {
  bool sawIdat = false;
  for (size_t at = kPngSignature.size(), chunk = 0;; ++chunk) {
    // Length, type, data, CRC.
    if (image.size() - at < 12) return false;
    const uint32_t length = BigEndian(image, at);
    if (length > kPngMaxChunkLength || length > image.size() - at - 12) return false;
    const std::string_view type = image.substr(at + 4, 4);
    if ((chunk == 0) != (type == "IHDR")) return false;
    if (chunk == 0 && length != 13) return false;
    if (type == "IDAT") sawIdat = true;
    if (type == "IEND") return sawIdat;
    at += 12 + size_t{length};
  }
}

bool IsCompleteBitmap(std::string_view image) {
  const auto size = ReadIconImageSize(image);
  if (!size) return false;
  const ByteReader r(image);
  const uint32_t headerSize = *r.readU32(0);
  const uint16_t bits = headerSize == kBitmapCoreHeaderSize ? *r.readU16(10) : *r.readU16(14);
  const uint64_t fullTable = bits <= 8 ? uint64_t{1} << bits : 0;
  uint64_t table = 0;
  if (headerSize == kBitmapCoreHeaderSize) {
    table = fullTable * 3;
  } else {
    const uint32_t compression = *r.readU32(16);
    const uint32_t colorsUsed = *r.readU32(32);
    if (compression != kBitmapRgb && compression != kBitmapBitFields) return false;
    if (compression == kBitmapBitFields && bits != 16 && bits != 32) return false;
    if (bits <= 8 && colorsUsed > fullTable) return false;
    if (bits > 8 && colorsUsed > 256) return false;
    const uint64_t colors = bits <= 8 && colorsUsed == 0 ? fullTable : colorsUsed;
    const uint64_t masks =
        headerSize == kBitmapInfoHeaderSize && compression == kBitmapBitFields ? 12 : 0;
    table = masks + colors * 4;
  }
  // The rows of the colour image and of the transparency mask, each half the
  // header's height; the sizes are computed in 64 bits from 32-bit fields.
  const uint64_t rows = static_cast<uint64_t>(size->height);
  const uint64_t rowPair = RowBytes(static_cast<uint64_t>(size->width), bits) +
                           RowBytes(static_cast<uint64_t>(size->width), 1);
  const uint64_t available = image.size() - uint64_t{headerSize};
  if (table > available) return false;
  return rows <= (available - table) / rowPair;
}

}  // namespace

bool IsCompleteIconImage(std::string_view image) {
  if (image.substr(0, kPngSignature.size()) == kPngSignature)
    return ReadIconImageSize(image).has_value() && IsCompletePng(image);
  return IsCompleteBitmap(image);
}

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
