#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "files/FileSelection.h"
#include "text/WString.h"

namespace tidewell {

// Texts of the picture choice and its preview panel.
inline const WString kSelectBitmapTitle = u"Select bitmap";
inline constexpr std::array<FileFilter, 2> kBitmapFilters = {{
    {u"Bitmaps (*.bmp)", u"*.bmp"},
    {u"All Files (*.*)", u"*.*"},
}};
inline const WString kPreviewBoxTitle = u"Preview";
inline const WString kShowPreviewLabel = u"Show Preview";

// What the preview panel tells about a .bmp file, read from its headers (the
// bit count is the file's own, not that of a decoded picture).
struct BitmapFacts {
  int32_t width = 0;
  int32_t height = 0;  // rows, whichever way they run
  uint16_t bitCount = 0;
  friend bool operator==(const BitmapFacts&, const BitmapFacts&) = default;
};

// The facts of a .bmp file from its first bytes (the file header and the
// information header); nullopt when they are not a bitmap's.
std::optional<BitmapFacts> ReadBitmapFacts(std::string_view fileStart);

// The panel's four lines: "Width: %d pixels", "Height: %d pixels", the
// colour line chosen by the bit count (empty for a depth without one) and
// "Size: %ld Kb" with the size in whole kilobytes (1024 bytes).
std::array<WString, 4> BitmapPreviewLines(const BitmapFacts& facts, uint64_t fileSize);

}  // namespace tidewell
