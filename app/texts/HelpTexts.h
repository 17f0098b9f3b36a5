#pragma once

#include <QString>
#include <string_view>

namespace tidewell::app {

// The hover-help text of a control, by the key its page gave it (SetHelpKey),
// or an empty text when the key has none.
QString HelpText(std::string_view key);

}  // namespace tidewell::app
