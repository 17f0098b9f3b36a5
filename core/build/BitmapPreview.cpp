#include "build/BitmapPreview.h"

#include "pe/ByteReader.h"
#include "text/Text.h"

namespace tidewell {

namespace {

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

WString ColourLine(uint16_t bitCount) {
  switch (bitCount) {
    case 1: return u"Colors: 2 (monocromatic)";
    case 4: return u"Colors: 16";
    case 8: return u"Colors: 256";
    case 16: return u"Colors: 65,536";
    case 24: return u"Colors: 16 millions";
    default: return {};
  }
}

}  // namespace

std::optional<BitmapFacts> ReadBitmapFacts(std::string_view fileStart) {
  if (fileStart.substr(0, 2) != "BM") return std::nullopt;
  const pe::ByteReader reader(fileStart);
  const auto headerSize = reader.readU32(kFileHeaderSize);
  if (!headerSize) return std::nullopt;
  BitmapFacts facts;
  if (*headerSize == kCoreHeaderSize) {
    const auto width = reader.readU16(kFileHeaderSize + 4);
    const auto height = reader.readU16(kFileHeaderSize + 6);
    const auto bits = reader.readU16(kFileHeaderSize + 10);
    if (!width || !height || !bits || *width == 0 || *height == 0) return std::nullopt;
    facts = {*width, *height, *bits};
  } else if (*headerSize >= kInfoHeaderSize) {
    const auto width = reader.readU32(kFileHeaderSize + 4);
    const auto height = reader.readU32(kFileHeaderSize + 8);
    const auto bits = reader.readU16(kFileHeaderSize + 14);
    if (!width || !height || !bits) return std::nullopt;
    const auto signedWidth = static_cast<int32_t>(*width);
    const auto signedHeight = static_cast<int32_t>(*height);
    // A negative height marks rows stored top-down.
    if (signedWidth <= 0 || signedHeight == 0 || signedHeight == INT32_MIN) return std::nullopt;
    facts = {signedWidth, signedHeight < 0 ? -signedHeight : signedHeight, *bits};
  } else {
    return std::nullopt;
  }
  return facts;
}

std::array<WString, 4> BitmapPreviewLines(const BitmapFacts& facts, uint64_t fileSize) {
  return {u"Width: " + text::FormatDecimal(facts.width) + u" pixels",
          u"Height: " + text::FormatDecimal(facts.height) + u" pixels",
          ColourLine(facts.bitCount),
          u"Size: " + text::FormatDecimal(static_cast<int64_t>(fileSize / 1024)) + u" Kb"};
}

}  // namespace tidewell
