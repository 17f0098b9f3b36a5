#pragma once

#include <optional>
#include <string_view>

#include "Platform.h"

// Registry values as the client writes them.
namespace tidewatch::engine {

// A REG_SZ value holding `text`, with its terminating zero.
RegistryValue StringValue(std::u16string_view text);

// The data of an Add operation as typed in the tool: text for the string
// types (REG_MULTI_SZ strings separated by the two characters \0), a decimal
// or 0x-hexadecimal number for REG_DWORD, hexadecimal bytes for REG_BINARY
// (blanks and commas between them are ignored). Nothing for data that is
// not of its type, or for an unknown type.
std::optional<RegistryValue> ParseRegistryData(std::u16string_view type, std::u16string_view data);

}  // namespace tidewatch::engine
