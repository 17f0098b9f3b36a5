#include "dialogs/UserTextDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/TextFields.h"
#include "toolkit/HelpKey.h"
#include "toolkit/Mnemonic.h"

namespace tidewell::app {

UserTextDialog::UserTextDialog(Setup setup, QWidget* parent)
    : QDialog(parent), store_(std::move(setup.store)) {
  setWindowTitle(setup.title);
  // The prompt is shown as it is ("Terms & Conditions"), with Alt+E for the box.
  auto* prompt = new QLabel(WithMnemonic(setup.prompt, u'e'), this);
  prompt->setWordWrap(true);
  text_ = new QPlainTextEdit(this);
  text_->setPlainText(ToEditorText(setup.text));
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text_->setTabChangesFocus(true);
  prompt->setBuddy(text_);
  SetHelpKey(text_, "userText.text");

  variables_ = new VariablesButton(text_, std::move(setup.names),
                                   std::move(setup.showVariables), this);
  SetHelpKey(variables_, "userText.variables");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  // Enter is a new line in the box, never OK.
  for (QAbstractButton* b : buttons->buttons())
    if (auto* push = qobject_cast<QPushButton*>(b)) push->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(text_, 1);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(variables_);
  buttonRow->addStretch();
  buttonRow->addWidget(buttons);
  layout->addLayout(buttonRow);
  resize(520, 360);
  text_->setFocus();
}

WString UserTextDialog::Text() const { return FromEditorText(text_->toPlainText()); }

void UserTextDialog::accept() {
  if (store_ && !store_(Text())) {
    QApplication::beep();
    text_->setFocus(Qt::OtherFocusReason);
    return;
  }
  QDialog::accept();
}

}  // namespace tidewell::app
