#include "dialogs/DialogHeader.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace tidewell::app {

QWidget* MakeDialogHeader(const QString& title, const QString& subHeader, QWidget* parent) {
  auto* header = new QWidget(parent);
  auto* layout = new QVBoxLayout(header);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* titleLabel = new QLabel(title, header);
  QFont bold = titleLabel->font();
  bold.setBold(true);
  titleLabel->setFont(bold);
  auto* subLabel = new QLabel(subHeader, header);
  subLabel->setWordWrap(true);
  auto* line = new QFrame(header);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(titleLabel);
  layout->addWidget(subLabel);
  layout->addSpacing(4);
  layout->addWidget(line);
  return header;
}

}  // namespace tidewell::app
