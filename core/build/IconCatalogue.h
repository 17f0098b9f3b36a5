#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "pe/IconImage.h"

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

// The icon images of a module that can become the client's icons: every
// 32 x 32 image (large) and every 16 x 16 image (small), each under its
// resource name ("#" and the decimal id, or the string name), in the order of
// the module's resource directory. Other sizes, non-square images and images
// whose size cannot be read or whose data is cut short are left out; a name
// that several directory entries share is listed once; cursors are another
// resource type and never listed.
struct IconCatalogue {
  bool opened = false;  // the module could be read as a PE file
  std::vector<WString> large;
  std::vector<WString> small;
};

// Each list holds at most this many entries.
inline constexpr size_t kIconListLimit = 10000;

inline const WString kNoLargeIconsMessage = u"No large icons exist in this file!";
inline const WString kNoSmallIconsMessage = u"No small icons exist in this file!";
inline const FieldId kLargeIconListField = "iconSelection.largeList";
inline const FieldId kSmallIconListField = "iconSelection.smallList";

// The size of an icon image resource, when its bytes hold a whole image that
// an icon can be made from: a complete PNG image, or a bitmap with its
// colour table, colour rows and transparency mask all present.
std::optional<pe::IconImageSize> IconImageSizeOf(std::string_view image);

// Reads the catalogue of `modulePath`; a file that cannot be read as a
// module gives two empty lists.
IconCatalogue ReadIconCatalogue(const WString& modulePath);

// The same, handing each listed image to `listed` as it is added: whether it
// went to the large list, its name and its bytes (valid during the call), so
// a front end can show the images without reading the module again.
using ListedIconImage =
    std::function<void(bool large, const WString& name, std::string_view image)>;
IconCatalogue ReadIconCatalogue(const WString& modulePath, const ListedIconImage& listed);

// The validation balloons for empty lists: one at the large list when it is
// empty, one at the small list when that is empty (both can show).
void ReportMissingIcons(const IconCatalogue& catalogue, Prompt& prompt);

// The source listed when none is given: the system's shell library
// (SHELL32.dll in the system folder) on Windows; on a host without one, the
// client stub beside the tool, whose own icons are then offered.
WString DefaultIconSource(const WString& toolFolder);

}  // namespace tidewell
