#include "project/XmlText.h"

namespace tidewell {

void AppendEscapedXmlText(WString& out, std::u16string_view text) {
  // One pass gives the same result as the five replacements in their order,
  // because "&" is replaced first and no later replacement introduces one of
  // the characters replaced after it. Runs without special characters are
  // appended whole.
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c > u'>') continue;  // every character escaped lies at or below ">"
    if (c != u'&' && c != u'<' && c != u'>' && c != u'\'' && c != u'"') continue;
    out.append(text.data() + run, i - run);
    run = i + 1;
    switch (c) {
      case u'&': out.append(u"&amp;", 5); break;
      case u'<': out.append(u"&lt;", 4); break;
      case u'>': out.append(u"&gt;", 4); break;
      case u'\'': out.append(u"&apos;", 6); break;
      default: out.append(u"&quot;", 6); break;
    }
  }
  out.append(text.data() + run, text.size() - run);
}

WString EscapeXmlText(std::u16string_view text) {
  WString out;
  out.reserve(text.size() + 8);
  AppendEscapedXmlText(out, text);
  return out;
}

}  // namespace tidewell
