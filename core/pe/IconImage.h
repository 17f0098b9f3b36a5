#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tidewell::pe {

struct IconImageSize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const IconImageSize&, const IconImageSize&) = default;
};

// Width and height of an icon image resource (RT_ICON) read from its header:
// a PNG image's IHDR chunk, or a bitmap information header whose height
// counts the colour mask and the transparency mask (so it is halved).
// nullopt when the bytes are neither or give no positive size.
std::optional<IconImageSize> ReadIconImageSize(std::string_view image);

// Whether the bytes hold the whole image their header describes, so that an
// icon can be made from them. A PNG image: the signature, then chunks whose
// lengths stay inside the bytes, IHDR first, at least one IDAT, up to IEND.
// A bitmap: the header, the colour table (biClrUsed entries, or all the
// entries its bit count allows up to 8 bits), the colour rows and the
// transparency mask rows, each row padded to 4 bytes, for half the header's
// height; uncompressed (or bit fields) only.
bool IsCompleteIconImage(std::string_view image);

}  // namespace tidewell::pe
