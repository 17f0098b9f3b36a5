#include "project/XmlText.h"

namespace tidewell {

void AppendEscapedXmlText(WString& out, std::u16string_view text) {
  // One pass gives the same result as the five replacements in their order,
  // because "&" is replaced first and no later replacement introduces one of
  // the characters replaced after it.
  for (const char16_t c : text) {
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'\'': out += u"&apos;"; break;
      case u'"': out += u"&quot;"; break;
      default: out += c;
    }
  }
}

WString EscapeXmlText(std::u16string_view text) {
  WString out;
  out.reserve(text.size() + 8);
  AppendEscapedXmlText(out, text);
  return out;
}

}  // namespace tidewell
