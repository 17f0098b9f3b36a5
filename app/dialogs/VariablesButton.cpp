#include "dialogs/VariablesButton.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

#include "build/ClientPage.h"
#include "shell/QtText.h"

namespace tidewell::app {

VariablesButton::VariablesButton(QWidget* editor, Names names,
                                 std::function<void()> showVariables, QWidget* parent)
    : SplitButton(QStringLiteral("&Variables"), parent), editor_(editor), names_(std::move(names)) {
  setAutoDefault(false);
  SetMenu(new QMenu(this));
  connect(Menu(), &QMenu::aboutToShow, this, &VariablesButton::FillMenu);
  connect(this, &QPushButton::clicked, this, [show = std::move(showVariables)] {
    if (show) show();
  });
}

void VariablesButton::FillMenu() {
  QMenu* menu = Menu();
  menu->clear();
  if (!names_) return;
  for (const WString& name : names_()) {
    // An "&" in a name is doubled so the menu shows it instead of a shortcut.
    QAction* action =
        menu->addAction(ToQString(name).replace(QLatin1Char('&'), QStringLiteral("&&")));
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
