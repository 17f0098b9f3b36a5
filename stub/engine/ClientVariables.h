#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "Platform.h"

namespace tidewatch::engine {

struct VariableValues {
  std::u16string login;     // %Login%
  std::u16string platform;  // %Platform%
  Registry* registry = nullptr;  // for %REG base\key\value|type%
};

// Fills in, in one pass from the left, the references the client resolves:
// %Login%, %Platform% (exact case) and the registry-read references the tool
// writes, "%REG " + base key, sub-key and value name joined by backslashes +
// "|" + REG_SZ or REG_DWORD + "%". A value that is missing reads as empty
// text; a DWORD as its decimal number. Every other "%" stays as written.
// `escape`, when given, is applied to each value filled in (a value put into
// an address is percent-encoded).
std::u16string FillClientVariables(std::u16string_view text, const VariableValues& values,
                                   const std::function<std::u16string(std::u16string_view)>& escape = {});

// The text of a registry value as a variable shows it.
std::u16string RegistryValueText(const RegistryValue& value);

}  // namespace tidewatch::engine
