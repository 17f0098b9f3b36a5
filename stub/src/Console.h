#pragma once

#include <string_view>

namespace tidewatch {

// Writes text to the standard output the client inherited (a pipe or a file
// receives UTF-8; a console the text itself), or to the console of the
// program that started it. The client is a windowed program, so it may have
// no standard output.
bool WriteStandardOutput(std::u16string_view text);

}  // namespace tidewatch
