#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/Unicode.h"

// Characters of XML text as the client reads it, shared by the update
// engine's parser and the preview's welcome text.
namespace tidewatch {

// Every CR LF pair and every lone CR as one LF, as an XML reader sees them.
std::u16string NormaliseXmlLineBreaks(std::u16string_view text);

// `cp` appended as UTF-16: one unit, or a surrogate pair above U+FFFF.
using tidewell::text::AppendUtf16;

// The character of a reference's body between "&" and ";" ("#65" or
// "#x41"); nullopt when it names no character (empty, not a number, zero,
// a surrogate or above U+10FFFF).
std::optional<char32_t> CharacterReference(std::u16string_view ref);

}  // namespace tidewatch
