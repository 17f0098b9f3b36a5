#include "dialogs/VariablesButton.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

#include "build/ClientPage.h"
#include "shell/QtText.h"

namespace tidewell::app {

VariablesButton::VariablesButton(QWidget* editor, Names names,
                                 std::function<void()> showVariables, QWidget* parent)
    : QToolButton(parent), editor_(editor), names_(std::move(names)), menu_(new QMenu(this)) {
  setText(QStringLiteral("Variables"));
  setPopupMode(QToolButton::MenuButtonPopup);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::StrongFocus);
  setMenu(menu_);
  connect(menu_, &QMenu::aboutToShow, this, &VariablesButton::FillMenu);
  connect(this, &QToolButton::clicked, this, [show = std::move(showVariables)] {
    if (show) show();
  });
}

void VariablesButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
    showMenu();
    return;
  }
  QToolButton::keyPressEvent(event);
}

void VariablesButton::FillMenu() {
  menu_->clear();
  if (!names_) return;
  for (const WString& name : names_()) {
    // An "&" in a name is doubled so the menu shows it instead of a shortcut.
    QAction* action =
        menu_->addAction(ToQString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
    connect(action, &QAction::triggered, this, [this, name] {
      InsertVariableReference(editor_, name);
    });
  }
}

void InsertVariableReference(QWidget* editor, const WString& name) {
  QApplication::clipboard()->setText(ToQString(VariableReference(name)));
  if (auto* line = qobject_cast<QLineEdit*>(editor)) line->paste();
  else if (auto* box = qobject_cast<QPlainTextEdit*>(editor)) box->paste();
  if (editor) editor->setFocus(Qt::OtherFocusReason);
}

}  // namespace tidewell::app
