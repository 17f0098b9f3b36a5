#pragma once

#include <QAccessibleWidget>
#include <map>

#include "toolkit/NavigationBar.h"

namespace tidewell::app {

// What a screen reader sees of a navigation bar: a list whose children are
// the items in display order, each with its text as name, the group's header
// as description, the list-item role and its selected and focused states.
// An item's "press" and "select" actions choose it as a click does (the
// owner's guard may refuse).
class NavigationBarAccessible : public QAccessibleWidget {
 public:
  explicit NavigationBarAccessible(NavigationBar* bar);
  ~NavigationBarAccessible() override;

  // Makes the accessibility framework use this class for every bar.
  static void InstallFactory();

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QString text(QAccessible::Text kind) const override;

  NavigationBar* Bar() const;
  // The item of a child index, in display order; invalid when out of range.
  NavigationPosition PositionOf(int index) const;
  int IndexOf(NavigationPosition position) const;

 private:
  // The item interfaces handed out, kept so each item has one identity.
  mutable std::map<int, QAccessible::Id> items_;
};

}  // namespace tidewell::app
