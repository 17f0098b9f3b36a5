#include "text/Text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tidewell::text {

void AssignUtf8(SmallText& out, std::string_view utf8) {
  out.truncate(DecodeUtf8Into(out.prepare(utf8.size()), utf8));
}

std::filesystem::path ToPath(std::u16string_view text) {
#ifdef _WIN32
  return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
  return std::filesystem::path(ToUtf8(text));
#endif
}

WString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring& w = path.native();
  return WString(w.begin(), w.end());
#else
  return DecodeFileText(path.native());
#endif
}


int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  // Equal code units fold alike: only from the first difference on is there
  // anything to fold.
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  for (; i < n; ++i) {
    const char16_t x = FoldAscii(a[i]);
    const char16_t y = FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}


WString ToLowerAscii(std::u16string_view text) {
  WString out(text);
  for (auto& c : out) c = FoldAscii(c);
  return out;
}

size_t FindUnit(std::u16string_view text, char16_t unit) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 8 <= text.size(); i += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    if (const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(units, wanted)); hits != 0)
      return i + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(hits))) / 2;
  }
#endif
  for (; i < text.size(); ++i)
    if (text[i] == unit) return i;
  return std::u16string_view::npos;
}

WString ReplaceAll(std::u16string_view text, std::u16string_view from, std::u16string_view to) {
  if (from.empty()) return WString(text);
  WString out;
  out.reserve(text.size());
  size_t pos = 0;
  while (true) {
    const size_t hit = text.find(from, pos);
    if (hit == std::u16string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

namespace {
WString ReducedPairs(std::u16string_view text, char16_t c) {
  WString reduced(text);
  ReducePairsInPlace(reduced, c);
  return reduced;
}
}  // namespace

WString ReduceDoubleBackslashes(std::u16string_view text) { return ReducedPairs(text, u'\\'); }

WString ReduceDoubleSpaces(std::u16string_view text) { return ReducedPairs(text, u' '); }

WString TrimSpaces(std::u16string_view text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && text[b] == u' ') ++b;
  while (e > b && text[e - 1] == u' ') --e;
  return WString(text.substr(b, e - b));
}

int32_t ParseDecimal(std::string_view text) {
  // Only ASCII takes part in the rule, so widening byte by byte is exact.
  WString wide(text.size(), u'\0');
  for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return ParseDecimal(std::u16string_view(wide));
}

int32_t ParseDecimal(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  int64_t value = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    value = value * 10 + (text[i] - u'0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
    ++i;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<int32_t>(value);
}

WString FormatDecimal(int64_t value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return WString(buf, res.ptr);
}

WString FormatHexUpper(uint64_t value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, 16);
  WString out(buf, res.ptr);
  for (auto& c : out)
    if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - 32);
  return out;
}

WString ReduceDoubleSeparators(std::u16string_view path) {
  WString reduced(path);
#ifdef _WIN32
  // The two separators opening a network path (\\server\share) or a device
  // path (\\?\C:\...) are its prefix, not a doubled separator.
  const size_t from = path.starts_with(u"\\\\") ? 2 : 0;
#else
  const size_t from = 0;
#endif
  ReducePairsInPlace(reduced, kHostSeparator, from);
  return reduced;
}

void ReducePairsInPlace(WString& text, char16_t c, size_t from) {
  size_t read = from;
  while (read + 1 < text.size() && !(text[read] == c && text[read + 1] == c)) ++read;
  if (read + 1 >= text.size()) return;
  size_t write = read;
  while (read < text.size()) {
    if (text[read] == c && read + 1 < text.size() && text[read + 1] == c) {
      text[write++] = c;
      read += 2;
    } else {
      text[write++] = text[read++];
    }
  }
  text.resize(write);
}

WString JoinHostPath(std::u16string_view folder, std::u16string_view name) {
  WString joined(folder);
  joined += kHostSeparator;
  joined.append(name);
  return ReduceDoubleSeparators(joined);
}

bool HostPathsEqual(std::u16string_view a, std::u16string_view b) {
#if defined(_WIN32) || defined(__APPLE__)
  return EqualsNoCase(a, b);
#else
  return a == b;
#endif
}

}  // namespace tidewell::text
