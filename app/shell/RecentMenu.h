#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "project/RecentList.h"

class QAction;
class QMenu;

namespace tidewell::app {

// The recent projects in the File menu: one item per entry, most recent
// first, in the place of a marker action; "(empty)", disabled, when there is
// none. Choosing an item gives its project's path.
class RecentMenu : public QObject {
  Q_OBJECT

 public:
  // The items go just before `before` in `menu`.
  RecentMenu(QMenu& menu, QAction* before, QObject* parent = nullptr);

  void Show(const RecentList& list);
  const QList<QAction*>& Items() const { return items_; }

 signals:
  void projectChosen(const QString& path);

 private:
  QMenu& menu_;
  QPointer<QAction> before_;
  QList<QAction*> items_;
};

}  // namespace tidewell::app
