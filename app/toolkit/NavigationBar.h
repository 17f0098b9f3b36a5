#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

namespace tidewell::app {

// An item's place in a navigation bar: its group and its index in the group.
struct NavigationPosition {
  int group = -1;
  int item = -1;
  bool IsValid() const { return group >= 0 && item >= 0; }
  friend bool operator==(const NavigationPosition&, const NavigationPosition&) = default;
};

// A vertical bar of groups, each with a header and a column of items (an
// icon above a text, and a number the owner gives it). Exactly one
// selectable item is selected once the owner selected one. Choosing an item
// with the mouse or the keyboard asks the owner's guard first; a refused
// choice keeps the selection. Command items (not selectable) only report the
// choice and leave the selection where it was.
class NavigationBar : public QWidget {
  Q_OBJECT

 public:
  // Answers whether the selection may move from `from` to `to`.
  using Guard = std::function<bool(NavigationPosition from, NavigationPosition to)>;

  explicit NavigationBar(QWidget* parent = nullptr);

  int AddGroup(const QString& header);
  NavigationPosition AddItem(int group, const QString& text, const QIcon& icon, int data,
                             bool selectable = true);
  void SetIconSize(int pixels);
  int IconSize() const { return iconSize_; }
  void SetGuard(Guard guard) { guard_ = std::move(guard); }

  int GroupCount() const { return static_cast<int>(groups_.size()); }
  int ItemCount(int group) const;
  QString ItemText(NavigationPosition position) const;
  int ItemData(NavigationPosition position) const;  // -1 when there is no such item
  QString GroupHeader(int group) const;
  bool IsSelectable(NavigationPosition position) const;
  // The first item with this data, or an invalid position.
  NavigationPosition Find(int data) const;

  // Selects an item without asking the guard and without a signal (the owner
  // makes the bar follow what it shows). False for an item that does not
  // exist or cannot be selected; the selection then stays.
  bool Select(NavigationPosition position);
  NavigationPosition Selected() const { return selected_; }
  // The item the keyboard is on (Up and Down move it, Space chooses it).
  NavigationPosition FocusItem() const { return focusItem_; }
  void SetFocusItem(NavigationPosition position);
  int SelectedData() const { return ItemData(selected_); }

  // The item's rectangle in the bar's coordinates (a balloon's anchor).
  QRect ItemRect(NavigationPosition position) const;
  NavigationPosition ItemAt(QPoint point) const;

  // Chooses an item as a click does: asks the guard, selects, signals.
  void Choose(NavigationPosition position);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // A selectable item became selected by the user's choice, or a command item
  // was chosen.
  void itemChosen(int data);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Item {
    QString text;
    QIcon icon;
    int data = -1;
    bool selectable = true;
  };
  struct Group {
    QString header;
    std::vector<Item> items;
  };
  const Item* ItemOf(NavigationPosition position) const;
  int HeaderHeight() const;
  int ItemHeight() const;
  // Every item in display order.
  std::vector<NavigationPosition> Positions() const;
  void MoveFocusItem(int step);
  // Tells screen readers that an item became focused or selected.
  void NotifyAccessibility(NavigationPosition position, bool selection);
  // Drops the measured size and asks the layout again.
  void Relayout();

  std::vector<Group> groups_;
  NavigationPosition selected_;
  NavigationPosition hovered_;
  NavigationPosition focusItem_;
  int iconSize_ = 32;
  mutable std::optional<QSize> sizeHint_;
  Guard guard_;
};

}  // namespace tidewell::app
