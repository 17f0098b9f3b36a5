#pragma once

#include <QDialog>
#include <functional>

#include "dialogs/VariablesButton.h"
#include "text/WString.h"

class QPlainTextEdit;

namespace tidewell::app {

// "User Text": one message text of the client, edited in a multi-line box
// (Enter is a new line). OK hands the text, with CR LF line breaks, to
// `store`; when that refuses it (too long) the dialog beeps, puts the focus
// into the box and stays open.
class UserTextDialog : public QDialog {
  Q_OBJECT

 public:
  struct Setup {
    QString title;
    QString prompt;
    WString text;
    std::function<bool(const WString& text)> store;
    VariablesButton::Names names;
    std::function<void()> showVariables;
  };

  UserTextDialog(Setup setup, QWidget* parent);

  QPlainTextEdit* TextBox() const { return text_; }
  VariablesButton* Variables() const { return variables_; }
  // The text as it would be stored.
  WString Text() const;

  void accept() override;

 private:
  std::function<bool(const WString&)> store_;
  QPlainTextEdit* text_;
  VariablesButton* variables_;
};

}  // namespace tidewell::app
