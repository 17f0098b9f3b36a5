#include "files/ClientFileNames.h"

#include "files/ClientPaths.h"
#include "text/Text.h"

namespace tidewell {

bool IsWindowsFileName(std::u16string_view name) {
  if (name.empty()) return false;
  for (char16_t c : name)
    if (c == u'\\' || c == u'/' || c == u':' || IsForbiddenNameCharacter(c)) return false;
  return true;
}

WString LeftOutMessage(size_t count) {
  return text::FormatDecimal(static_cast<int64_t>(count)) +
         u" file(s) or folder(s) were left out: their names hold characters that Windows does "
         u"not allow in file names (\\ / : * ? \" < > | or control characters).";
}

}  // namespace tidewell
