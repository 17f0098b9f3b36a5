#include "Text.h"

#include "XmlCharacters.h"

namespace tidewatch::engine {

namespace {

// The code point of the UTF-8 sequence at `i`, moving `i` past it; nullopt
// for an invalid or overlong sequence, a surrogate or a value above U+10FFFF.
std::optional<char32_t> NextCodePoint(std::string_view bytes, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra;
  char32_t cp;
  if ((lead & 0xE0) == 0xC0) extra = 1, cp = lead & 0x1F;
  else if ((lead & 0xF0) == 0xE0) extra = 2, cp = lead & 0x0F;
  else if ((lead & 0xF8) == 0xF0) extra = 3, cp = lead & 0x07;
  else return std::nullopt;
  if (i + extra >= bytes.size()) return std::nullopt;
  for (int k = 1; k <= extra; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  i += static_cast<size_t>(extra) + 1;
  return cp;
}

std::optional<std::u16string> StrictUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const auto cp = NextCodePoint(bytes, i);
    if (!cp) return std::nullopt;
    AppendUtf16(out, *cp);
  }
  return out;
}

std::u16string Latin1(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

std::u16string DecodeDocumentBytes(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (auto text = StrictUtf8(bytes)) return std::move(*text);
  return Latin1(bytes);
}

std::u16string FromUtf8(std::string_view text) { return DecodeDocumentBytes(text); }

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::u16string FoldedCase(std::u16string_view text) {
  std::u16string folded(text);
  for (auto& c : folded) c = Fold(c);
  return folded;
}

std::string PercentEncode(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::int64_t ReadDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) break;
    value = value * 10 + (text[i] - u'0');
  }
  return negative ? -value : value;
}

std::u16string ToU16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string out(folder);
  if (!out.empty() && out.back() != u'\\') out += u'\\';
  out += name;
  return out;
}

std::u16string ParentPath(std::u16string_view path) {
  const size_t cut = path.rfind(u'\\');
  return cut == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, cut));
}

}  // namespace tidewatch::engine
