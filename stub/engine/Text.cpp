#include "Text.h"

#include "text/Unicode.h"

namespace tidewatch::engine {

std::u16string DecodeDocumentBytes(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return tidewell::text::DecodeFileText(bytes);
}

std::u16string FromUtf8(std::string_view text) { return DecodeDocumentBytes(text); }

std::string ToUtf8(std::u16string_view text) { return tidewell::text::ToUtf8(text); }

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) { return tidewell::text::EqualsNoCase(a, b); }

std::u16string FoldedCase(std::u16string_view text) {
  std::u16string folded(text);
  for (auto& c : folded) c = tidewell::text::FoldAscii(c);
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
