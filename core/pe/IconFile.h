#pragma once

#include <string>
#include <string_view>

namespace tidewell::pe {

// An icon image resource (RT_ICON: a bitmap information header with its
// colour and transparency masks, or a PNG image) as a complete .ico file
// holding that one image, so an image reader that knows .ico files can show
// it. Empty when the bytes are not an icon image.
std::string IconImageAsIcoFile(std::string_view image);

}  // namespace tidewell::pe
