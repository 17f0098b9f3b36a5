#include "pages/files/OsTargetsPage.h"

#include <QLabel>
#include <QVBoxLayout>

#include "files/FileProperties.h"
#include "shell/QtText.h"

namespace tidewell::app {

OsTargetsPage::OsTargetsPage(int32_t mask, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(ToQString(kTargetSystemsText), this));
  auto* boxes = new QVBoxLayout;
  boxes->setContentsMargins(16, 4, 0, 0);
  for (size_t i = 0; i < kOsCheckBoxes.size(); ++i) {
    boxes_[i] = new QCheckBox(ToQString(WString(kOsCheckBoxes[i].label)), this);
    boxes_[i]->setChecked((mask & kOsCheckBoxes[i].bit) != 0);
    boxes->addWidget(boxes_[i]);
  }
  layout->addLayout(boxes);
  layout->addStretch();
}

int32_t OsTargetsPage::Mask() const {
  int32_t mask = 0;
  for (size_t i = 0; i < kOsCheckBoxes.size(); ++i)
    if (boxes_[i]->isChecked()) mask |= kOsCheckBoxes[i].bit;
  return mask;
}

}  // namespace tidewell::app
