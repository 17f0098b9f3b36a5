#include "files/ClientFileNames.h"

#include "files/ClientPaths.h"
#include "text/Text.h"

namespace tidewell {

bool IsWindowsFileName(std::u16string_view name) {
  if (name.empty()) return false;
  // One part by the client's path rule: no separator, no device name, no
  // dot or blank at the end.
  return name.find_first_of(u"\\/") == std::u16string_view::npos &&
         CheckClientPath(name) == ClientPathFault::None;
}

WString LeftOutMessage(size_t count) {
  return text::FormatDecimal(static_cast<int64_t>(count)) +
         u" file(s) or folder(s) were left out: Windows does not allow their names (names holding "
         u"\\ / : * ? \" < > | or control characters, ending in a dot or a blank, or naming a device "
         u"such as CON, NUL, COM1 or LPT1).";
}

}  // namespace tidewell
