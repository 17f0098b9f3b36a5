#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The texts the client's window and message boxes show, made from what the
// engine reports.
namespace tidewatch::engine {

// What a user is told when an update failed: that the application is as it
// was, what failed (`error`, the engine's words with the system code in
// brackets) and what the user can do about it.
std::u16string FailureMessage(std::string_view error, std::u16string_view appTitle,
                              std::u16string_view mainExecutable, std::u16string_view companyName);

// A text with every line break made CR LF, as a text box shows line breaks.
std::u16string WithWindowsLineBreaks(std::u16string_view text);

// "1.5 MB" and the like, for the download page.
std::u16string ByteCount(std::uint64_t bytes);

}  // namespace tidewatch::engine
