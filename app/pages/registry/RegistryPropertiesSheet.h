#pragma once

#include <cstdint>

#include "pages/files/PropertySheet.h"

namespace tidewell::app {

class OsTargetsPage;

// "Registry update properties": the target systems of one operation on its
// only page, "General". OK and Cancel, no Apply.
class RegistryPropertiesSheet final : public PropertySheet {
  Q_OBJECT

 public:
  explicit RegistryPropertiesSheet(int32_t targets, QWidget* parent = nullptr);

  int32_t Targets() const;
  OsTargetsPage* General() const { return general_; }

 private:
  OsTargetsPage* general_;
};

}  // namespace tidewell::app
