#pragma once

#include <string_view>

#include "text/WString.h"

namespace tidewell {

// The text escaping of every XML writer: "&" first, then "<", ">", "'" and the
// double quote. Nothing else changes; control characters and line breaks pass.
WString EscapeXmlText(std::u16string_view text);
// Appends the escaped text to `out` without building a temporary.
void AppendEscapedXmlText(WString& out, std::u16string_view text);

}  // namespace tidewell
