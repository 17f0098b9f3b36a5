#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "text/SmallText.h"
#include "text/WString.h"

namespace tidewell::text {

// Conversions at the edges (files, terminal, pugixml).
WString FromUtf8(std::string_view utf8);  // invalid sequences become U+FFFD
// The same into an existing string, reusing its storage.
void AssignUtf8(WString& out, std::string_view utf8);
void AssignUtf8(SmallText& out, std::string_view utf8);
std::string ToUtf8(std::u16string_view text);
// The same into `out`, reusing its storage.
void AssignToUtf8(std::string& out, std::u16string_view text);
// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);
WString FromLatin1(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// UTF-8 when the bytes are valid UTF-8, ISO 8859-1 otherwise.
WString DecodeFileText(std::string_view bytes);

std::filesystem::path ToPath(std::u16string_view text);
WString FromPath(const std::filesystem::path& path);

// Letters A to Z fold to a to z; every other code unit compares as itself.
inline char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}
int CompareNoCase(std::u16string_view a, std::u16string_view b);
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}
WString ToLowerAscii(std::u16string_view text);
// The same folding for UTF-8 text (bytes above 0x7F compare as themselves).
inline bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// Replaces every occurrence of `from`, scanning from the left without overlap.
WString ReplaceAll(std::u16string_view text, std::u16string_view from, std::u16string_view to);
// Where `unit` first occurs in `text` (npos when it does not), eight units at
// a time where the processor allows.
size_t FindUnit(std::u16string_view text, char16_t unit);
// Each pair of backslashes becomes one, scanning from the left without
// overlap: three in a row become two.
WString ReduceDoubleBackslashes(std::u16string_view text);
WString ReduceDoubleSpaces(std::u16string_view text);
WString TrimSpaces(std::u16string_view text);

// The C library's decimal text-to-integer rule: leading white space skipped,
// optional sign, digits up to the first non-digit, 0 when there are none.
// Values beyond the 32-bit range saturate.
int32_t ParseDecimal(std::u16string_view text);
int32_t ParseDecimal(std::string_view text);
WString FormatDecimal(int64_t value);
WString FormatHexUpper(uint64_t value);

// Host path separator as a client-side text character.
constexpr char16_t kClientSeparator = u'\\';
#ifdef _WIN32
constexpr char16_t kHostSeparator = u'\\';
#else
constexpr char16_t kHostSeparator = u'/';
#endif

// Appends `name` to `folder` with one host separator between them, then
// reduces doubled separators (the path rule used wherever a path is built).
WString JoinHostPath(std::u16string_view folder, std::u16string_view name);
// Reduces each doubled host separator to one; on Windows the two that open
// a network or device path stay.
WString ReduceDoubleSeparators(std::u16string_view path);
// The same reduction in place for any character: each pair of `c` from
// `from` on becomes one, left to right without overlap.
void ReducePairsInPlace(WString& text, char16_t c, size_t from = 0);

// Calls `visit` with each part of `path` between `separator`s, empty parts
// left out, in order; stops early when `visit` answers false. Answers whether
// every part was visited.
template <typename Visit>
bool ForEachPathPart(std::u16string_view path, char16_t separator, Visit&& visit) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(separator, start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start && !visit(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}
// Host path comparison: case-insensitive on Windows and macOS only.
bool HostPathsEqual(std::u16string_view a, std::u16string_view b);

}  // namespace tidewell::text
