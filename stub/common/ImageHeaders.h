#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "ByteReader.h"

namespace tidewatch {

struct ImageSize {
  int32_t width = 0;
  int32_t height = 0;
};

// The header of a packed device-independent bitmap: a bitmap resource is a
// .bmp file without its 14-byte file header, so it starts with one of these.
struct DibHeader {
  uint32_t headerSize = 0;  // 12 (core header) or 40 and more (info header family)
  int32_t width = 0;
  int32_t height = 0;  // always positive; topDown tells the row order
  bool topDown = false;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
};

// A packed DIB whose pixels lie wholly inside its bytes, in a form the
// client draws (uncompressed, or bit fields at 16 and 32 bits per pixel).
struct DibLayout {
  DibHeader header;
  size_t bitsOffset = 0;
  size_t bitsSize = 0;
};

// The header of a packed DIB when it is readable and names a positive size.
std::optional<DibHeader> ReadDibHeader(ByteReader dib);
// The whole layout when every byte the pixels need is present.
std::optional<DibLayout> ReadDrawableDib(ByteReader dib);

// Width and height of an icon image resource from its header: a PNG image's
// IHDR, or a DIB whose height counts the colour and the mask rows together.
std::optional<ImageSize> ReadIconImageSize(ByteReader image);
// Whether an icon image holds all it claims (a PNG header, or a DIB with its
// colour rows and mask rows complete), so that an icon may be made from it.
bool IsCompleteIconImage(ByteReader image);

}  // namespace tidewatch
