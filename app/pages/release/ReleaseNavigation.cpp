#include "pages/release/ReleaseNavigation.h"

#include <QKeyEvent>
#include <QPainter>

namespace tidewell::app {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

}  // namespace

ReleaseNavigation::ReleaseNavigation(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(24, 24));
  setSpacing(1);
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item->data(kIdRole).isValid()) emit Chosen(item->data(kIdRole).toInt());
  });
}

void ReleaseNavigation::AddGroup(const QString& title) {
  auto* header = new QListWidgetItem(title, this);
  header->setFlags(Qt::NoItemFlags);
  QFont bold = font();
  bold.setBold(true);
  header->setFont(bold);
  header->setForeground(palette().color(QPalette::WindowText));
  header->setBackground(palette().color(QPalette::Window));
  header->setSizeHint(QSize(0, fontMetrics().height() + 12));
}

void ReleaseNavigation::AddItem(int id, const QString& text, const QIcon& icon) {
  // Every icon on a canvas of the same size, so the texts line up.
  QPixmap canvas(iconSize());
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    const QPixmap picture = icon.pixmap(iconSize());
    const QSize size = picture.deviceIndependentSize().toSize();
    painter.drawPixmap((canvas.width() - size.width()) / 2, (canvas.height() - size.height()) / 2,
                       picture);
  }
  auto* item = new QListWidgetItem(QIcon(canvas), text, this);
  item->setData(kIdRole, id);
  item->setSizeHint(QSize(0, std::max(iconSize().height(), fontMetrics().height()) + 10));
}

QListWidgetItem* ReleaseNavigation::ItemOf(int id) const {
  for (int row = 0; row < count(); ++row)
    if (item(row)->data(kIdRole).isValid() && item(row)->data(kIdRole).toInt() == id)
      return item(row);
  return nullptr;
}

void ReleaseNavigation::Select(int id) {
  if (QListWidgetItem* found = ItemOf(id))
    setCurrentItem(found, QItemSelectionModel::ClearAndSelect);
}

int ReleaseNavigation::Selected() const {
  const QList<QListWidgetItem*> items = selectedItems();
  return items.isEmpty() ? -1 : items.first()->data(kIdRole).toInt();
}

QRect ReleaseNavigation::ItemRect(int id) const {
  QListWidgetItem* found = ItemOf(id);
  if (!found) return {};
  QRect rect = visualItemRect(found);
  rect.translate(viewport()->pos());
  return rect;
}

QSize ReleaseNavigation::sizeHint() const {
  // The widest text after its icon, with the style's margins.
  int width = 0, height = 2 * frameWidth();
  for (int row = 0; row < count(); ++row) {
    const QListWidgetItem* entry = item(row);
    width = std::max(width, QFontMetrics(entry->font()).horizontalAdvance(entry->text()));
    height += entry->sizeHint().height() + 2 * spacing();
  }
  return {width + iconSize().width() + 32 + 2 * frameWidth(), height};
}

QItemSelectionModel::SelectionFlags ReleaseNavigation::selectionCommand(
    const QModelIndex& index, const QEvent* event) const {
  // Only the page moves the selection.
  if (event) return QItemSelectionModel::NoUpdate;
  return QListWidget::selectionCommand(index, event);
}

void ReleaseNavigation::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
       event->key() == Qt::Key_Space) &&
      currentItem() && currentItem()->data(kIdRole).isValid()) {
    emit Chosen(currentItem()->data(kIdRole).toInt());
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace tidewell::app
