#include "pages/files/FilePropertiesSheet.h"

#include <QFormLayout>
#include <QSignalBlocker>

#include "pages/files/OsTargetsPage.h"
#include "shell/QtText.h"

namespace tidewell::app {

FilePropertiesSheet::FilePropertiesSheet(const FileProperties& properties,
                                         const FilePropertiesProbe& probe, Prompt& prompt,
                                         QWidget* parent)
    : PropertySheet(ToQString(kFilePropertiesTitle), parent), probe_(probe), prompt_(prompt) {
  general_ = new OsTargetsPage(properties.os, Tabs());
  Tabs()->addTab(general_, ToQString(kGeneralPageTitle));

  auto* actions = new QWidget(Tabs());
  auto* form = new QFormLayout(actions);
  condition_ = new QComboBox(actions);
  for (std::u16string_view label : kUpdateConditionLabels)
    condition_->addItem(ToQString(WString(label)));
  condition_->setCurrentIndex(static_cast<int>(properties.condition));
  form->addRow(ToQString(kUpdateConditionLabel), condition_);
  unzip_ = new QCheckBox(ToQString(kUnzipCheckBoxLabel), actions);
  unzip_->setChecked(properties.unzip);
  form->addRow(ToQString(kClientActionsLabel), unzip_);
  Tabs()->addTab(actions, ToQString(kActionsPageTitle));

  // The refusals come only from the user's own changes.
  connect(condition_, &QComboBox::activated, this, &FilePropertiesSheet::ConditionChosen);
  connect(unzip_, &QCheckBox::clicked, this, &FilePropertiesSheet::UnzipToggled);
}

void FilePropertiesSheet::ConditionChosen(int index) {
  if (AcceptCondition(probe_, static_cast<UpdateCondition>(index), prompt_)) return;
  const QSignalBlocker block(condition_);
  condition_->setCurrentIndex(static_cast<int>(UpdateCondition::Unconditional));
}

void FilePropertiesSheet::UnzipToggled(bool checked) {
  if (AcceptUnzip(probe_, checked, prompt_)) return;
  const QSignalBlocker block(unzip_);
  unzip_->setChecked(false);
}

FileProperties FilePropertiesSheet::Chosen() const {
  FileProperties chosen;
  chosen.os = general_->Mask();
  chosen.condition = static_cast<UpdateCondition>(condition_->currentIndex());
  chosen.unzip = unzip_->isChecked();
  return chosen;
}

}  // namespace tidewell::app
