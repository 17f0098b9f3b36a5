#pragma once

#include <functional>
#include <vector>

#include "text/WString.h"
#include "toolkit/SplitButton.h"

namespace tidewell::app {

// "Variables" beside a text box: the main part shows the variables dialog;
// the arrow part, or the Up or Down key, opens the menu of variable names
// just below the button, and a chosen name is inserted into the text box.
class VariablesButton : public SplitButton {
  Q_OBJECT

 public:
  using Names = std::function<std::vector<WString>()>;

  VariablesButton(QWidget* editor, Names names, std::function<void()> showVariables,
                  QWidget* parent);

 private:
  void FillMenu();

  QWidget* editor_;
  Names names_;
};

// "%" + name + "%" into a QLineEdit or QPlainTextEdit at its caret, replacing
// its selection, through the clipboard (which keeps the reference), and the
// focus into the box.
void InsertVariableReference(QWidget* editor, const WString& name);

}  // namespace tidewell::app
