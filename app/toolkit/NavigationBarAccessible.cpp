#include "toolkit/NavigationBarAccessible.h"

namespace tidewell::app {

namespace {

// One item of a bar. It holds its place by index; the bar's interface drops
// it when the bar goes.
class NavigationItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  NavigationItemAccessible(NavigationBarAccessible* bar, int index) : bar_(bar), index_(index) {}

  bool isValid() const override { return Bar() && Position().IsValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return bar_->window(); }
  QAccessibleInterface* parent() const override { return bar_; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QString text(QAccessible::Text kind) const override {
    if (!isValid()) return {};
    switch (kind) {
      case QAccessible::Name: return Bar()->ItemText(Position());
      case QAccessible::Description: return Bar()->GroupHeader(Position().group);
      default: return {};
    }
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) {
      state.invalid = true;
      return state;
    }
    const NavigationBar* bar = Bar();
    state.focusable = true;
    state.selectable = bar->IsSelectable(Position());
    state.selected = bar->Selected() == Position();
    state.focused = bar->hasFocus() && bar->FocusItem() == Position();
    state.disabled = !bar->isEnabled();
    state.invisible = !bar->isVisible();
    return state;
  }

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect area = Bar()->ItemRect(Position());
    return QRect(Bar()->mapToGlobal(area.topLeft()), area.size());
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }

  QStringList actionNames() const override {
    return {pressAction(), setFocusAction(), toggleAction()};
  }
  void doAction(const QString& name) override {
    if (!isValid()) return;
    NavigationBar* bar = Bar();
    if (name == setFocusAction()) {
      bar->setFocus(Qt::OtherFocusReason);
      bar->SetFocusItem(Position());
    } else if (name == pressAction() || name == toggleAction()) {
      bar->Choose(Position());
    }
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  NavigationBar* Bar() const { return bar_->Bar(); }
  NavigationPosition Position() const { return bar_->PositionOf(index_); }

  NavigationBarAccessible* bar_;
  int index_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* bar = qobject_cast<NavigationBar*>(object)) return new NavigationBarAccessible(bar);
  return nullptr;
}

}  // namespace

NavigationBarAccessible::NavigationBarAccessible(NavigationBar* bar)
    : QAccessibleWidget(bar, QAccessible::List) {}

NavigationBarAccessible::~NavigationBarAccessible() {
  for (const auto& [index, id] : items_) QAccessible::deleteAccessibleInterface(id);
}

void NavigationBarAccessible::InstallFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

NavigationBar* NavigationBarAccessible::Bar() const {
  return qobject_cast<NavigationBar*>(object());
}

NavigationPosition NavigationBarAccessible::PositionOf(int index) const {
  const NavigationBar* bar = Bar();
  if (!bar || index < 0) return {};
  for (int group = 0; group < bar->GroupCount(); ++group) {
    if (index < bar->ItemCount(group)) return {group, index};
    index -= bar->ItemCount(group);
  }
  return {};
}

int NavigationBarAccessible::IndexOf(NavigationPosition position) const {
  const NavigationBar* bar = Bar();
  if (!bar || position.item < 0 || position.item >= bar->ItemCount(position.group)) return -1;
  int index = position.item;
  for (int group = 0; group < position.group; ++group) index += bar->ItemCount(group);
  return index;
}

int NavigationBarAccessible::childCount() const {
  const NavigationBar* bar = Bar();
  int count = 0;
  for (int group = 0; bar && group < bar->GroupCount(); ++group) count += bar->ItemCount(group);
  return count;
}

QAccessibleInterface* NavigationBarAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  const auto found = items_.find(index);
  if (found != items_.end()) return QAccessible::accessibleInterface(found->second);
  auto* item = new NavigationItemAccessible(const_cast<NavigationBarAccessible*>(this), index);
  items_[index] = QAccessible::registerAccessibleInterface(item);
  return item;
}

int NavigationBarAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (const auto& [index, id] : items_)
    if (QAccessible::accessibleInterface(id) == child) return index;
  return -1;
}

QAccessibleInterface* NavigationBarAccessible::childAt(int x, int y) const {
  const NavigationBar* bar = Bar();
  if (!bar) return nullptr;
  const int index = IndexOf(bar->ItemAt(bar->mapFromGlobal(QPoint(x, y))));
  return index < 0 ? nullptr : child(index);
}

QString NavigationBarAccessible::text(QAccessible::Text kind) const {
  QString text = QAccessibleWidget::text(kind);
  if (kind == QAccessible::Name && text.isEmpty()) {
    // Without a name of its own the bar is named after its groups.
    const NavigationBar* bar = Bar();
    QStringList headers;
    for (int group = 0; bar && group < bar->GroupCount(); ++group)
      headers << bar->GroupHeader(group);
    text = headers.join(QStringLiteral(", "));
  }
  return text;
}

}  // namespace tidewell::app
