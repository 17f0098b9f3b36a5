#include "pages/registry/RegistryItemDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "content/RegistryChoices.h"
#include "shell/PageServices.h"
#include "shell/QtText.h"
#include "toolkit/PageHeader.h"
#include "toolkit/FieldRegistry.h"

namespace tidewell::app {

namespace {

template <size_t N>
QComboBox* Choices(const std::array<std::u16string_view, N>& names, std::u16string_view chosen,
                   QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::u16string_view name : names) {
    box->addItem(ToQString(WString(name)));
    if (name == chosen) box->setCurrentIndex(box->count() - 1);
  }
  return box;
}

}  // namespace

RegistryItemDialog::RegistryItemDialog(PageServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
  setWindowTitle(tr("Registry"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new PageHeader(tr("Registry"), tr("Select appropriate registry actions to undertake"), this));

  auto* form = new QFormLayout;
  form->setContentsMargins(12, 8, 0, 8);
  // Drop-downs as wide as the text fields, not each as wide as its longest choice.
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  baseKey_ = Choices(kRegistryBaseKeys, kDefaultRegistryBaseKey, this);
  subKey_ = new QLineEdit(this);
  action_ = Choices(kRegistryActions, RegistryActionText(kDefaultRegistryAction), this);
  valueType_ = Choices(kRegistryValueTypes, kDefaultRegistryValueType, this);
  valueName_ = new QLineEdit(this);
  valueData_ = new QLineEdit(this);
  form->addRow(tr("&Base key:"), baseKey_);
  form->addRow(tr("&Sub-key:"), subKey_);
  form->addRow(tr("&Action:"), action_);
  form->addRow(tr("Value &Type:"), valueType_);
  form->addRow(tr("Value &Name:"), valueName_);
  form->addRow(tr("Value &Data:"), valueData_);
  subKey_->setMinimumWidth(300);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &RegistryItemDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(action_, &QComboBox::currentIndexChanged, this, &RegistryItemDialog::EnableForAction);
  services_.fields.Register(kRegistrySubKeyField, subKey_);
  services_.fields.Register(kRegistryValueNameField, valueName_);
  services_.fields.Register(kRegistryValueDataField, valueData_);
}

void RegistryItemDialog::EnableForAction(int index) {
  const std::optional<RegistryAction> action = RegistryActionFromIndex(index);
  const RegistryFieldStates states =
      action ? RegistryFieldsEnabled(*action) : RegistryFieldStates{};
  valueType_->setEnabled(states.valueType);
  valueName_->setEnabled(states.valueName);
  valueData_->setEnabled(states.valueData);
}

RegistryItemFields RegistryItemDialog::Fields() const {
  RegistryItemFields fields;
  fields.baseKey = ToWString(baseKey_->currentText());
  fields.subKey = ToWString(subKey_->text());
  fields.actionIndex = action_->currentIndex();
  fields.valueType = ToWString(valueType_->currentText());
  fields.valueName = ToWString(valueName_->text());
  fields.valueData = ToWString(valueData_->text());
  return fields;
}

void RegistryItemDialog::accept() {
  if (!ValidateRegistryItem(Fields(), services_.prompt)) return;
  QDialog::accept();
}

}  // namespace tidewell::app
