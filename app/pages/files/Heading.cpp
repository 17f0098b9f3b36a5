#include "pages/files/Heading.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace tidewell::app {

QWidget* MakeHeading(const QString& title, const QString& subTitle, QWidget* parent) {
  auto* heading = new QWidget(parent);
  auto* layout = new QVBoxLayout(heading);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* titleLabel = new QLabel(title, heading);
  QFont font = titleLabel->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.15);
  titleLabel->setFont(font);
  layout->addWidget(titleLabel);
  auto* subLabel = new QLabel(subTitle, heading);
  subLabel->setWordWrap(true);
  subLabel->setContentsMargins(12, 0, 0, 0);
  layout->addWidget(subLabel);
  auto* rule = new QFrame(heading);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout->addSpacing(4);
  layout->addWidget(rule);
  return heading;
}

}  // namespace tidewell::app
