#include "toolkit/SplitButton.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace tidewell::app {

SplitButton::SplitButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

QRect SplitButton::ArrowRect() const {
  const int arrowWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  return QRect(width() - arrowWidth - 2, 0, arrowWidth + 2, height());
}

QSize SplitButton::sizeHint() const {
  QSize size = QPushButton::sizeHint();
  size.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  return size;
}

void SplitButton::ShowMenu() {
  emit menuRequested();
  if (!menu_) return;
  setDown(true);
  menu_->exec(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
  setDown(false);
}

void SplitButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  // The text centres in the main part only.
  const QRect arrow = ArrowRect();
  style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
  QStyleOptionButton label = option;
  label.rect.setRight(arrow.left() - 1);
  style()->drawControl(QStyle::CE_PushButtonLabel, &label, &painter, this);

  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::Mid));
  painter.drawLine(arrow.left(), arrow.top() + 5, arrow.left(), arrow.bottom() - 5);
  QStyleOption arrowOption;
  arrowOption.initFrom(this);
  arrowOption.rect = arrow.adjusted(4, 0, -4, 0);
  style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, &painter, this);
}

void SplitButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && ArrowRect().contains(event->position().toPoint())) {
    event->accept();
    ShowMenu();
    return;
  }
  QPushButton::mousePressEvent(event);
}

void SplitButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
    event->accept();
    ShowMenu();
    return;
  }
  QPushButton::keyPressEvent(event);
}

}  // namespace tidewell::app
