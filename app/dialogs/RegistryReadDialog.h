#pragma once

#include <QDialog>

#include "content/RegistryReadRules.h"

class QComboBox;
class QLineEdit;

namespace tidewell {
class Prompt;
}

namespace tidewell::app {

class FieldRegistry;

// "Registry": the registry value a user variable reads. Takes the fields to
// show and gives the chosen ones back; OK is refused (balloon at the field)
// while the sub-key or the value name is empty.
class RegistryReadDialog : public QDialog {
  Q_OBJECT

 public:
  RegistryReadDialog(const RegistryReadFields& initial, Prompt& prompt, FieldRegistry& fields,
                     QWidget* parent);

  RegistryReadFields Fields() const;

  void accept() override;

 private:
  Prompt& prompt_;
  QComboBox* baseKey_;
  QLineEdit* subKey_;
  QComboBox* valueType_;
  QLineEdit* valueName_;
};

}  // namespace tidewell::app
