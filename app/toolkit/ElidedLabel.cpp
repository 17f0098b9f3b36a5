#include "toolkit/ElidedLabel.h"

namespace tidewell::app {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::SetText(const QString& text) {
  full_ = text;
  Elide();
}

QSize ElidedLabel::minimumSizeHint() const {
  return {fontMetrics().horizontalAdvance(QStringLiteral("/…/")), QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::Elide() {
  const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, contentsRect().width());
  if (shown != text()) setText(shown);
}

}  // namespace tidewell::app
