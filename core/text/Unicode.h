#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8, UTF-16 and the letter case of the stored formats: one
// implementation for the tool and the update client, which compiles this
// file too (standard C++ only). A difference between the two, in a product
// name or a file's server path, would make the client refuse every signed
// update.
namespace tidewell::text {

// Decodes one UTF-8 sequence at `i`; returns the number of bytes taken, or 0
// when the sequence is invalid (overlong, surrogate, out of range, cut short).
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp);
// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t cp);
// Appends one code point as UTF-16: one unit, or a surrogate pair above U+FFFF.
void AppendUtf16(std::u16string& out, char32_t cp);

// Invalid sequences become U+FFFD.
std::u16string FromUtf8(std::string_view utf8);
// The same into an existing string, reusing its storage.
void AssignUtf8(std::u16string& out, std::string_view utf8);
// Decodes `utf8` into `wide`, which has room for one code unit per byte;
// answers the units written.
std::size_t DecodeUtf8Into(char16_t* wide, std::string_view utf8);
// A lone surrogate, which has no UTF-8 form, becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// The same into `out`, reusing its storage.
void AssignToUtf8(std::string& out, std::u16string_view text);
std::u16string FromLatin1(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// UTF-8 when the bytes are valid UTF-8, ISO 8859-1 otherwise.
std::u16string DecodeFileText(std::string_view bytes);

// Letters A to Z fold to a to z; every other code unit compares as itself.
inline char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}
// The same folding for UTF-8 text (bytes above 0x7F compare as themselves).
inline bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace tidewell::text
