#pragma once

#include <QDialog>
#include <QTabWidget>
#include <cstdint>

namespace tidewell::app {

class OsTargetsPage;

// "Registry update properties": the target systems of one operation on its
// only page, "General". OK and Cancel, no Apply.
class RegistryPropertiesSheet final : public QDialog {
  Q_OBJECT

 public:
  explicit RegistryPropertiesSheet(int32_t targets, QWidget* parent = nullptr);

  int32_t Targets() const;
  QTabWidget* Tabs() const { return tabs_; }
  OsTargetsPage* General() const { return general_; }

 private:
  QTabWidget* tabs_;
  OsTargetsPage* general_;
};

}  // namespace tidewell::app
