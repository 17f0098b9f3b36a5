#pragma once

#include <string>
#include <string_view>

namespace tidewell {

// What a .bmp file gives as a bitmap resource.
struct BitmapResource {
  enum class Status {
    Ok,           // `bytes` holds the resource
    TooShort,     // fewer bytes than a bitmap file header (14)
    NotABitmap,   // not a Windows bitmap whose parts lie inside the file
  };
  Status status = Status::NotABitmap;
  // The packed bitmap: the information header, the colour masks and table,
  // and the pixels, as the loader expects them in a bitmap resource.
  std::string bytes;
};

// The bitmap resource for the bytes of a .bmp file: the file without its
// 14-byte file header. The information header, the colour table and the
// pixels must lie inside the file, so the client never reads past its
// resource. A file that is exactly a file header gives an empty resource.
// When the file leaves a gap before its pixels (its pixel offset points past
// the colour table), the gap is left out, since a resource has no such offset
// and the loader expects the pixels right after the colour table.
BitmapResource BitmapResourceFromFile(std::string_view file);

}  // namespace tidewell
