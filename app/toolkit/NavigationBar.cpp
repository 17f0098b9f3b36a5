#include "toolkit/NavigationBar.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "toolkit/NavigationBarAccessible.h"

namespace tidewell::app {

namespace {
constexpr int kHeaderPadding = 6;
constexpr int kItemPadding = 6;
constexpr int kTextGap = 3;
constexpr int kSideMargin = 6;
}  // namespace

NavigationBar::NavigationBar(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  NavigationBarAccessible::InstallFactory();
}

int NavigationBar::AddGroup(const QString& header) {
  groups_.push_back({header, {}});
  Relayout();
  update();
  return GroupCount() - 1;
}

NavigationPosition NavigationBar::AddItem(int group, const QString& text, const QIcon& icon,
                                          int data, bool selectable) {
  if (group < 0 || group >= GroupCount()) return {};
  auto& items = groups_[static_cast<size_t>(group)].items;
  items.push_back({text, icon, data, selectable});
  Relayout();
  update();
  return {group, static_cast<int>(items.size()) - 1};
}

void NavigationBar::SetIconSize(int pixels) {
  iconSize_ = pixels;
  Relayout();
  update();
}

int NavigationBar::ItemCount(int group) const {
  if (group < 0 || group >= GroupCount()) return 0;
  return static_cast<int>(groups_[static_cast<size_t>(group)].items.size());
}

const NavigationBar::Item* NavigationBar::ItemOf(NavigationPosition position) const {
  if (position.item < 0 || position.item >= ItemCount(position.group)) return nullptr;
  return &groups_[static_cast<size_t>(position.group)].items[static_cast<size_t>(position.item)];
}

QString NavigationBar::ItemText(NavigationPosition position) const {
  const Item* item = ItemOf(position);
  return item ? item->text : QString();
}

int NavigationBar::ItemData(NavigationPosition position) const {
  const Item* item = ItemOf(position);
  return item ? item->data : -1;
}

QString NavigationBar::GroupHeader(int group) const {
  if (group < 0 || group >= GroupCount()) return {};
  return groups_[static_cast<size_t>(group)].header;
}

bool NavigationBar::IsSelectable(NavigationPosition position) const {
  const Item* item = ItemOf(position);
  return item && item->selectable;
}

void NavigationBar::SetFocusItem(NavigationPosition position) {
  if (!ItemOf(position) || position == focusItem_) return;
  focusItem_ = position;
  update();
  NotifyAccessibility(position, false);
}

void NavigationBar::NotifyAccessibility(NavigationPosition position, bool selection) {
  if (!QAccessible::isActive()) return;
  int index = position.item;
  for (int g = 0; g < position.group; ++g) index += ItemCount(g);
  if (selection) {
    QAccessibleEvent event(this, QAccessible::SelectionAdd);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
  }
  if (hasFocus()) {
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
  }
}

NavigationPosition NavigationBar::Find(int data) const {
  for (const NavigationPosition& position : Positions())
    if (ItemData(position) == data) return position;
  return {};
}

bool NavigationBar::Select(NavigationPosition position) {
  const Item* item = ItemOf(position);
  if (!item || !item->selectable) return false;
  selected_ = position;
  focusItem_ = position;
  update();
  NotifyAccessibility(position, true);
  return true;
}

void NavigationBar::Choose(NavigationPosition position) {
  const Item* item = ItemOf(position);
  if (!item) return;
  focusItem_ = position;
  if (item->selectable) {
    if (position == selected_) return;
    if (guard_ && !guard_(selected_, position)) {
      update();
      return;
    }
    selected_ = position;
    NotifyAccessibility(position, true);
  }
  update();
  emit itemChosen(item->data);
}

int NavigationBar::HeaderHeight() const { return fontMetrics().height() + 2 * kHeaderPadding; }

int NavigationBar::ItemHeight() const {
  return iconSize_ + kTextGap + fontMetrics().height() + 2 * kItemPadding;
}

std::vector<NavigationPosition> NavigationBar::Positions() const {
  std::vector<NavigationPosition> positions;
  for (int g = 0; g < GroupCount(); ++g)
    for (int i = 0; i < ItemCount(g); ++i) positions.push_back({g, i});
  return positions;
}

QRect NavigationBar::ItemRect(NavigationPosition position) const {
  if (!ItemOf(position)) return {};
  int top = 0;
  for (int g = 0; g < position.group; ++g) top += HeaderHeight() + ItemCount(g) * ItemHeight();
  top += HeaderHeight() + kItemPadding / 2 + position.item * ItemHeight();
  return QRect(kSideMargin, top, width() - 2 * kSideMargin, ItemHeight() - kItemPadding / 2);
}

NavigationPosition NavigationBar::ItemAt(QPoint point) const {
  for (const NavigationPosition& position : Positions())
    if (ItemRect(position).contains(point)) return position;
  return {};
}

void NavigationBar::Relayout() {
  sizeHint_.reset();
  updateGeometry();
}

QSize NavigationBar::sizeHint() const {
  // Measuring the texts is the costly part of the window's first layout, and
  // the layouts ask several times; the answer stands until the items, the
  // icon size or the font change.
  if (sizeHint_) return *sizeHint_;
  int width = std::max(iconSize_ + 40, 92);
  QFont bold = font();
  bold.setBold(true);
  const QFontMetrics boldMetrics(bold);
  for (const Group& group : groups_) {
    width = std::max(width, boldMetrics.horizontalAdvance(group.header) + 4 * kHeaderPadding);
    for (const Item& item : group.items)
      width = std::max(width, fontMetrics().horizontalAdvance(item.text) + 4 * kSideMargin);
  }
  int height = 0;
  for (int g = 0; g < GroupCount(); ++g) height += HeaderHeight() + ItemCount(g) * ItemHeight();
  sizeHint_ = QSize(width, height + kItemPadding);
  return *sizeHint_;
}

QSize NavigationBar::minimumSizeHint() const { return {sizeHint().width(), 0}; }

void NavigationBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& colours = palette();
  QFont bold = font();
  bold.setBold(true);

  int top = 0;
  for (int g = 0; g < GroupCount(); ++g) {
    const QRect header(0, top, width(), HeaderHeight());
    QLinearGradient shade(header.topLeft(), header.bottomLeft());
    shade.setColorAt(0, colours.color(QPalette::Button).lighter(104));
    shade.setColorAt(1, colours.color(QPalette::Button).darker(108));
    painter.fillRect(header, shade);
    painter.setPen(colours.color(QPalette::Mid));
    painter.drawLine(header.bottomLeft(), header.bottomRight());
    if (g > 0) painter.drawLine(header.topLeft(), header.topRight());
    painter.setPen(colours.color(QPalette::ButtonText));
    painter.setFont(bold);
    painter.drawText(header.adjusted(2 * kHeaderPadding, 0, -kHeaderPadding, 0),
                     Qt::AlignVCenter | Qt::AlignLeft, groups_[static_cast<size_t>(g)].header);
    painter.setFont(font());
    top += HeaderHeight() + ItemCount(g) * ItemHeight();

    for (int i = 0; i < ItemCount(g); ++i) {
      const NavigationPosition position{g, i};
      const Item& item = *ItemOf(position);
      const QRect box = ItemRect(position);
      QColor highlight = colours.color(QPalette::Highlight);
      if (position == selected_ || position == hovered_) {
        QColor fill = highlight;
        fill.setAlpha(position == selected_ ? 60 : 25);
        painter.setBrush(fill);
        highlight.setAlpha(position == selected_ ? 200 : 90);
        painter.setPen(QPen(highlight, 1));
        painter.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
      }
      if (hasFocus() && position == focusItem_) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colours.color(QPalette::Text), 1, Qt::DotLine));
        painter.drawRoundedRect(QRectF(box).adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
      }
      const QRect iconBox(box.center().x() - iconSize_ / 2, box.top() + kItemPadding, iconSize_,
                          iconSize_);
      item.icon.paint(&painter, iconBox, Qt::AlignCenter,
                      isEnabled() ? QIcon::Normal : QIcon::Disabled);
      painter.setPen(colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::Text));
      const QRect textBox(box.left(), iconBox.bottom() + kTextGap, box.width(),
                          fontMetrics().height());
      painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop, item.text);
    }
  }
}

void NavigationBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const NavigationPosition position = ItemAt(event->position().toPoint());
  if (position.IsValid()) Choose(position);
}

void NavigationBar::mouseMoveEvent(QMouseEvent* event) {
  const NavigationPosition position = ItemAt(event->position().toPoint());
  if (position == hovered_) return;
  hovered_ = position;
  setCursor(position.IsValid() ? Qt::PointingHandCursor : Qt::ArrowCursor);
  update();
}

void NavigationBar::leaveEvent(QEvent*) {
  hovered_ = {};
  update();
}

void NavigationBar::MoveFocusItem(int step) {
  const auto positions = Positions();
  if (positions.empty()) return;
  auto found = std::find(positions.begin(), positions.end(), focusItem_);
  long index = found == positions.end() ? 0 : (found - positions.begin()) + step;
  index = std::clamp<long>(index, 0, static_cast<long>(positions.size()) - 1);
  SetFocusItem(positions[static_cast<size_t>(index)]);
}

void NavigationBar::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up: MoveFocusItem(-1); break;
    case Qt::Key_Down: MoveFocusItem(1); break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: Choose(focusItem_); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void NavigationBar::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) Relayout();
  QWidget::changeEvent(event);
}

}  // namespace tidewell::app
