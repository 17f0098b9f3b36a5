#include "build/BitmapResource.h"

#include <cstdint>
#include <optional>

#include "pe/ByteReader.h"

namespace tidewell {

namespace {

using pe::ByteReader;

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;

// Compression values of a bitmap information header.
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// Where the pixels start inside the packed bitmap and how many bytes they
// take; nullopt when the header does not describe a bitmap the loader shows.
struct PackedLayout {
  uint64_t pixelsOffset = 0;
  uint64_t pixelsSize = 0;
};

bool IsKnownInfoHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// Rows are padded to four bytes. nullopt when the pixels cannot fit in
// `limit` bytes.
std::optional<uint64_t> UncompressedSize(uint64_t width, uint64_t height, uint64_t bitCount,
                                         uint64_t limit) {
  const uint64_t stride = (width * bitCount + 31) / 32 * 4;
  if (stride == 0 || height > limit / stride) return std::nullopt;
  return stride * height;
}

std::optional<PackedLayout> CoreLayout(const ByteReader& dib) {
  const auto width = dib.readU16(4), height = dib.readU16(6);
  const auto planes = dib.readU16(8), bitCount = dib.readU16(10);
  if (!width || !height || !planes || !bitCount) return std::nullopt;
  if (*width == 0 || *height == 0 || *planes != 1) return std::nullopt;
  if (*bitCount != 1 && *bitCount != 4 && *bitCount != 8 && *bitCount != 24) return std::nullopt;
  const uint64_t colours = *bitCount <= 8 ? (uint64_t{1} << *bitCount) : 0;
  PackedLayout layout;
  layout.pixelsOffset = kCoreHeaderSize + 3 * colours;
  const auto size = UncompressedSize(*width, *height, *bitCount, dib.Size());
  if (!size) return std::nullopt;
  layout.pixelsSize = *size;
  return layout;
}

std::optional<PackedLayout> InfoLayout(const ByteReader& dib, uint32_t headerSize) {
  const auto width = dib.readU32(4), height = dib.readU32(8);
  const auto planes = dib.readU16(12), bitCount = dib.readU16(14);
  const auto compression = dib.readU32(16), sizeImage = dib.readU32(20);
  const auto coloursUsed = dib.readU32(32);
  if (!width || !height || !planes || !bitCount || !compression || !sizeImage || !coloursUsed)
    return std::nullopt;
  const int32_t signedWidth = static_cast<int32_t>(*width);
  const int32_t signedHeight = static_cast<int32_t>(*height);
  if (signedWidth <= 0 || signedHeight == 0 || signedHeight == INT32_MIN || *planes != 1)
    return std::nullopt;
  const uint64_t rows = signedHeight < 0 ? uint64_t(-int64_t{signedHeight}) : uint64_t(signedHeight);
  const bool topDown = signedHeight < 0;

  const uint16_t bits = *bitCount;
  switch (*compression) {
    case kRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return std::nullopt;
      break;
    case kRle8:
      if (bits != 8 || topDown) return std::nullopt;
      break;
    case kRle4:
      if (bits != 4 || topDown) return std::nullopt;
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32) return std::nullopt;
      break;
    default:  // JPEG and PNG inside a bitmap are not shown by the loader
      return std::nullopt;
  }

  // Colour masks follow a plain information header; the larger headers hold
  // them inside.
  uint64_t masks = 0;
  if (headerSize == 40 && *compression == kBitFields) masks = 12;
  if (headerSize == 40 && *compression == kAlphaBitFields) masks = 16;
  uint64_t colours = *coloursUsed;
  if (colours == 0 && bits <= 8) colours = uint64_t{1} << bits;

  PackedLayout layout;
  layout.pixelsOffset = headerSize + masks + 4 * colours;
  if (*compression == kRle8 || *compression == kRle4) {
    if (*sizeImage == 0) return std::nullopt;
    layout.pixelsSize = *sizeImage;
  } else {
    const auto size = UncompressedSize(*width, rows, bits, dib.Size());
    if (!size) return std::nullopt;
    layout.pixelsSize = *size;
  }
  return layout;
}

}  // namespace

BitmapResource BitmapResourceFromFile(std::string_view file) {
  BitmapResource result;
  const ByteReader reader(file);
  if (reader.Size() < kFileHeaderSize) {
    result.status = BitmapResource::Status::TooShort;
    return result;
  }
  if (file.substr(0, 2) != "BM") return result;
  if (reader.Size() == kFileHeaderSize) {
    result.status = BitmapResource::Status::Ok;
    return result;
  }

  const auto dib = reader.Sub(kFileHeaderSize, reader.Size() - kFileHeaderSize);
  const auto headerSize = dib ? dib->readU32(0) : std::nullopt;
  if (!headerSize || !dib->Contains(0, *headerSize)) return result;
  std::optional<PackedLayout> layout;
  if (*headerSize == kCoreHeaderSize) layout = CoreLayout(*dib);
  else if (IsKnownInfoHeaderSize(*headerSize)) layout = InfoLayout(*dib, *headerSize);
  if (!layout || !dib->Contains(0, layout->pixelsOffset)) return result;

  // The file header's pixel offset: 0 (left unset by some writers) or the
  // packed position means the file is packed already.
  const uint64_t fileOffset = *reader.readU32(10);
  const uint64_t packedOffset = kFileHeaderSize + layout->pixelsOffset;
  uint64_t pixelsInFile = packedOffset;
  if (fileOffset != 0 && fileOffset != packedOffset) {
    if (fileOffset < packedOffset) return result;  // pixels overlapping the colour table
    pixelsInFile = fileOffset;
  }
  if (!reader.Contains(pixelsInFile, layout->pixelsSize)) return result;

  result.status = BitmapResource::Status::Ok;
  result.bytes.assign(file.substr(kFileHeaderSize, layout->pixelsOffset));
  result.bytes.append(file.substr(pixelsInFile));
  return result;
}

}  // namespace tidewell
