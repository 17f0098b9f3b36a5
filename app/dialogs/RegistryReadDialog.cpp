#include "dialogs/RegistryReadDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/TextFields.h"
#include "shell/QtText.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

template <size_t N>
QComboBox* ChoiceList(const std::array<std::u16string_view, N>& choices, const WString& selected,
                      QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::u16string_view choice : choices) box->addItem(ToQString(WString(choice)));
  box->setCurrentText(ToQString(selected));
  return box;
}

}  // namespace

RegistryReadDialog::RegistryReadDialog(const RegistryReadFields& initial, Prompt& prompt,
                                       FieldRegistry& fields, QWidget* parent)
    : QDialog(parent), prompt_(prompt) {
  setWindowTitle(QStringLiteral("Registry"));
  baseKey_ = ChoiceList(kRegistryBaseKeys, initial.baseKey, this);
  subKey_ = MakeLineEdit(this);
  subKey_->setText(ToQString(initial.subKey));
  valueType_ = ChoiceList(kRegistryReadValueTypes, initial.valueType, this);
  valueName_ = MakeLineEdit(this);
  valueName_->setText(ToQString(initial.valueName));
  SetHelpKey(baseKey_, "registryRead.baseKey");
  SetHelpKey(subKey_, "registryRead.subKey");
  SetHelpKey(valueType_, "registryRead.valueType");
  SetHelpKey(valueName_, "registryRead.valueName");

  auto* form = new QFormLayout;
  // Drop-downs as wide as the text fields, not each as wide as its longest choice.
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow(QStringLiteral("&Base key:"), baseKey_);
  form->addRow(QStringLiteral("&Sub-key:"), subKey_);
  form->addRow(QStringLiteral("Value &Type:"), valueType_);
  form->addRow(QStringLiteral("Value &Name:"), valueName_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new PageHeader(QStringLiteral("Registry"),
                                     QStringLiteral("Select registry values to read"), this));
  layout->addLayout(form);
  layout->addStretch();
  layout->addWidget(buttons);
  setMinimumWidth(440);

  fields.Register(kRegistryReadSubKeyField, subKey_);
  fields.Register(kRegistryReadValueNameField, valueName_);
}

RegistryReadFields RegistryReadDialog::Fields() const {
  RegistryReadFields fields;
  fields.baseKey = ToWString(baseKey_->currentText());
  fields.subKey = ToWString(subKey_->text());
  fields.valueType = ToWString(valueType_->currentText());
  fields.valueName = ToWString(valueName_->text());
  return fields;
}

void RegistryReadDialog::accept() {
  if (!ValidateRegistryRead(Fields(), prompt_)) return;
  QDialog::accept();
}

}  // namespace tidewell::app
