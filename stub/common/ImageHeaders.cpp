#include "ImageHeaders.h"

#include <cstring>

namespace tidewatch {

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
// Far beyond any picture or icon; keeps every size computation small.
constexpr int32_t kMaxDimension = 32768;

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsPng(ByteReader image) {
  return image.Has(0, sizeof kPngSignature) &&
         std::memcmp(image.Data(), kPngSignature, sizeof kPngSignature) == 0;
}

bool IsSupportedBitCount(uint16_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint64_t RowStride(int32_t width, uint16_t bitCount) {
  return ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
}

// Offset of the first pixel byte: header, bit-field masks, colour table.
std::optional<uint64_t> PixelOffset(const DibHeader& h) {
  if (h.headerSize == kCoreHeaderSize) {
    const uint64_t colors = h.bitCount <= 8 ? (uint64_t{1} << h.bitCount) : 0;
    return h.headerSize + colors * 3;
  }
  uint64_t colors = h.colorsUsed;
  if (h.bitCount <= 8) {
    const uint64_t full = uint64_t{1} << h.bitCount;
    if (colors == 0) colors = full;
    if (colors > full) return std::nullopt;
  } else if (colors > 256) {
    return std::nullopt;
  }
  const uint64_t masks = (h.headerSize == kInfoHeaderSize && h.compression == kBiBitfields) ? 12 : 0;
  return h.headerSize + masks + colors * 4;
}

bool IsDrawableFormat(const DibHeader& h) {
  if (h.planes != 1 || !IsSupportedBitCount(h.bitCount)) return false;
  if (h.width > kMaxDimension || h.height > kMaxDimension) return false;
  if (h.compression == kBiRgb) return true;
  return h.compression == kBiBitfields && (h.bitCount == 16 || h.bitCount == 32);
}

}  // namespace

std::optional<DibHeader> ReadDibHeader(ByteReader dib) {
  DibHeader h;
  const auto size = dib.U32(0);
  if (!size) return std::nullopt;
  h.headerSize = *size;
  if (h.headerSize == kCoreHeaderSize) {
    if (!dib.Has(0, kCoreHeaderSize)) return std::nullopt;
    h.width = *dib.U16(4);
    h.height = *dib.U16(6);
    h.planes = *dib.U16(8);
    h.bitCount = *dib.U16(10);
  } else if (h.headerSize >= kInfoHeaderSize) {
    if (!dib.Has(0, h.headerSize)) return std::nullopt;
    h.width = *dib.I32(4);
    const int32_t height = *dib.I32(8);
    if (height == INT32_MIN) return std::nullopt;
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;
    h.planes = *dib.U16(12);
    h.bitCount = *dib.U16(14);
    h.compression = *dib.U32(16);
    h.colorsUsed = *dib.U32(32);
  } else {
    return std::nullopt;
  }
  if (h.width <= 0 || h.height <= 0) return std::nullopt;
  return h;
}

std::optional<DibLayout> ReadDrawableDib(ByteReader dib) {
  const auto header = ReadDibHeader(dib);
  if (!header || !IsDrawableFormat(*header)) return std::nullopt;
  const auto offset = PixelOffset(*header);
  if (!offset) return std::nullopt;
  const uint64_t bits = RowStride(header->width, header->bitCount) * static_cast<uint64_t>(header->height);
  if (*offset > dib.Size() || bits > dib.Size() - *offset) return std::nullopt;
  return DibLayout{*header, static_cast<size_t>(*offset), static_cast<size_t>(bits)};
}

std::optional<ImageSize> ReadIconImageSize(ByteReader image) {
  if (IsPng(image)) {
    // The IHDR chunk comes first: length, type, then width and height.
    const auto type = image.U32BigEndian(12);
    const auto width = image.U32BigEndian(16);
    const auto height = image.U32BigEndian(20);
    if (!type || *type != 0x49484452u || !width || !height) return std::nullopt;  // "IHDR"
    if (*width == 0 || *height == 0 || *width > INT32_MAX || *height > INT32_MAX) return std::nullopt;
    return ImageSize{static_cast<int32_t>(*width), static_cast<int32_t>(*height)};
  }
  const auto header = ReadDibHeader(image);
  // The height of an icon DIB covers the colour rows and the mask rows.
  if (!header || header->topDown || header->height < 2) return std::nullopt;
  return ImageSize{header->width, header->height / 2};
}

bool IsCompleteIconImage(ByteReader image) {
  if (IsPng(image)) return ReadIconImageSize(image).has_value();
  const auto header = ReadDibHeader(image);
  if (!header || header->topDown || header->height < 2 || header->height % 2 != 0) return false;
  if (!IsDrawableFormat(*header) || header->compression != kBiRgb) return false;
  const auto offset = PixelOffset(*header);
  if (!offset) return false;
  const uint64_t rows = static_cast<uint64_t>(header->height / 2);
  const uint64_t bits = (RowStride(header->width, header->bitCount) + RowStride(header->width, 1)) * rows;
  return *offset <= image.Size() && bits <= image.Size() - *offset;
}

}  // namespace tidewatch
