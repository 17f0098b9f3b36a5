#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>

#include "content/RegistryItemRules.h"

namespace tidewell::app {

struct PageServices;

// "Registry": one registry operation. The value fields are enabled by the
// action as the core says; a disabled field keeps its text. OK checks the
// fields by the core's rules and stays open on a refusal.
class RegistryItemDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit RegistryItemDialog(PageServices& services, QWidget* parent = nullptr);

  RegistryItemFields Fields() const;

  QComboBox* BaseKey() const { return baseKey_; }
  QLineEdit* SubKey() const { return subKey_; }
  QComboBox* Action() const { return action_; }
  QComboBox* ValueType() const { return valueType_; }
  QLineEdit* ValueName() const { return valueName_; }
  QLineEdit* ValueData() const { return valueData_; }

  void accept() override;

 private:
  void EnableForAction(int index);

  PageServices& services_;
  QComboBox* baseKey_;
  QLineEdit* subKey_;
  QComboBox* action_;
  QComboBox* valueType_;
  QLineEdit* valueName_;
  QLineEdit* valueData_;
};

}  // namespace tidewell::app
