#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidewatch {

// The values of the built-in variables on this machine.
std::u16string LoginName();            // %Login%: the account running the client
std::u16string PlatformDescription();  // %Platform%: the operating system

// The text of the server update file named on the command line: UTF-8, or
// ISO 8859-1 when the bytes are not valid UTF-8 (files of earlier tools). A
// relative name is looked up beside the client first (the tool builds both
// into the project folder), then in the current folder. nullopt when neither
// can be read.
std::optional<std::u16string> ReadUpdateFile(std::u16string_view name);

}  // namespace tidewatch
