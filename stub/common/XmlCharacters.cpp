#include "XmlCharacters.h"

namespace tidewatch {

std::u16string NormaliseXmlLineBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out += u'\n';
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::optional<char32_t> CharacterReference(std::u16string_view ref) {
  if (ref.size() < 2 || ref[0] != u'#') return std::nullopt;
  const bool hex = ref[1] == u'x';
  const std::u16string_view digits = ref.substr(hex ? 2 : 1);
  if (digits.empty()) return std::nullopt;
  char32_t cp = 0;
  for (const char16_t c : digits) {
    int d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return std::nullopt;
    cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);
    if (cp > 0x10FFFF) return std::nullopt;
  }
  if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

}  // namespace tidewatch
