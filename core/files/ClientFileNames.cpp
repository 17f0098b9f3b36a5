#include "files/ClientFileNames.h"

#include "text/Text.h"

namespace tidewell {

bool IsWindowsFileName(std::u16string_view name) {
  if (name.empty()) return false;
  for (char16_t c : name) {
    if (c < 0x20) return false;
    switch (c) {
      case u'\\': case u'/': case u':': case u'*': case u'?':
      case u'"': case u'<': case u'>': case u'|':
        return false;
      default:
        break;
    }
  }
  return true;
}

WString LeftOutMessage(size_t count) {
  return text::FormatDecimal(static_cast<int64_t>(count)) +
         u" file(s) or folder(s) were left out: their names hold characters that Windows does "
         u"not allow in file names (\\ / : * ? \" < > | or control characters).";
}

}  // namespace tidewell
