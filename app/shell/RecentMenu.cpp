#include "shell/RecentMenu.h"

#include <QAction>
#include <QMenu>

#include "shell/PageCommands.h"
#include "shell/QtText.h"

namespace tidewell::app {

RecentMenu::RecentMenu(QMenu& menu, QAction* before, QObject* parent)
    : QObject(parent), menu_(menu), before_(before) {}

void RecentMenu::Show(const RecentList& list) {
  qDeleteAll(items_);
  items_.clear();
  int command = static_cast<int>(Command::FirstRecentProject);
  for (const RecentMenuItem& item : list.MenuItems()) {
    auto* action = new QAction(ToQString(item.label), &menu_);
    action->setEnabled(item.enabled);
    action->setData(command++);
    const QString path = ToQString(item.path);
    connect(action, &QAction::triggered, this, [this, path] { emit projectChosen(path); });
    menu_.insertAction(before_, action);
    items_.append(action);
  }
}

}  // namespace tidewell::app
