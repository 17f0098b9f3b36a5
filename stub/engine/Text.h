#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text conversions of the update engine, on the UTF-8, UTF-16 and case
// rules it shares with the tool (core/text/Unicode.h).
namespace tidewatch::engine {

// A document's bytes as text: a UTF-8 byte-order mark is dropped; UTF-8 when
// the bytes are valid UTF-8, else ISO 8859-1 (files of earlier tools).
std::u16string DecodeDocumentBytes(std::string_view bytes);

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);  // invalid bytes read as ISO 8859-1

// Letters A to Z folded to a to z; nothing else changes.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);
// The text so folded: equal for texts that EqualsIgnoringCase finds equal.
std::u16string FoldedCase(std::u16string_view text);

// Every byte outside A-Z a-z 0-9 - . _ ~ as %XX (upper-case hexadecimal).
std::string PercentEncode(std::string_view utf8);

// Decimal integer as the tool reads one: leading blanks, an optional sign,
// the leading digits; 0 when there are none.
std::int64_t ReadDecimal(std::u16string_view text);

std::u16string ToU16(std::string_view ascii);

// Joins a folder and a name with one backslash.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);
// The part of a path before its last backslash (empty when there is none).
std::u16string ParentPath(std::u16string_view path);

}  // namespace tidewatch::engine
