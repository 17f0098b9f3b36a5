#pragma once

#include <string>
#include <string_view>

class QWidget;

namespace tidewell::app {

// Names the hover-help text of a control (a key of HelpTexts). Resting the
// pointer on the control shows that text in the information balloon; the
// main window's hover help reads the key back from the widget.
void SetHelpKey(QWidget* widget, std::string_view key);
// The key given to the widget, or an empty text.
std::string HelpKeyOf(const QWidget* widget);

}  // namespace tidewell::app
