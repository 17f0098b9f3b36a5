#pragma once

#include <QImage>
#include <string_view>

#include "text/WString.h"

namespace tidewell::app {

// The pictures and icons a client executable carries now: the main picture
// (bitmap 208), the top picture (bitmap 205) and the large and small icon
// images (1 and 2). Each is a null image when the client, the resource or
// its picture cannot be read.
struct ClientImages {
  QImage main;
  QImage top;
  QImage largeIcon;
  QImage smallIcon;
};
ClientImages ReadClientImages(const WString& clientPath);

// The picture of a bitmap resource (a packed bitmap: the information header,
// the colour masks and table, then the pixels); a null image when the bytes
// do not hold one.
QImage PackedBitmapImage(std::string_view resource);

}  // namespace tidewell::app
