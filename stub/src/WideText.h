#pragma once

#include <string>
#include <string_view>

namespace tidewatch {

// wchar_t is UTF-16 on Windows: the same code units as char16_t.
inline std::wstring ToWide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace tidewatch
