#pragma once

#include <functional>

#include "text/WString.h"

class QWidget;

namespace tidewell {
class Preferences;
class Prompt;
}  // namespace tidewell

namespace tidewell::app {

class FieldRegistry;

// What a page or dialog may use of the main window. The main window fills it
// once; the tests fill it with a scripted prompt and their own callbacks.
struct PageServices {
  // Every message box, question, balloon, status text and wait cursor.
  Prompt& prompt;
  // Where a page or dialog registers the widgets its field identifiers name,
  // so a balloon finds them.
  FieldRegistry& fields;
  Preferences& preferences;
  // The owner of the dialogs a page opens.
  QWidget* window = nullptr;

  // Requests a page sends to the main window. Each may be empty in a test.
  // Every page stores its fields into the settings (before a build).
  std::function<void()> collectPages;
  // Shows the page of a page command (see PageCommands.h).
  std::function<void(int command)> showPage;
  // Shows the one variables dialog of the process.
  std::function<void()> showVariables;
  // The client icons from another module: project and client checks, then
  // the icon selection of that module.
  std::function<void(const WString& source)> setClientIcons;
};

}  // namespace tidewell::app
