#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "text/SmallText.h"
#include "text/Unicode.h"
#include "text/WString.h"

namespace tidewell::text {

// Conversions at the edges (files, terminal, pugixml): those of
// text/Unicode.h, and into the small text of the file tree.
void AssignUtf8(SmallText& out, std::string_view utf8);

std::filesystem::path ToPath(std::u16string_view text);
WString FromPath(const std::filesystem::path& path);

// Case folding (FoldAscii, EqualsNoCase) is that of text/Unicode.h.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
WString ToLowerAscii(std::u16string_view text);

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
