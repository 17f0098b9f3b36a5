#pragma once

#include <QDialog>
#include <QTabWidget>

namespace tidewell::app {

// A properties sheet: pages on tabs above OK and Cancel (no Apply). The
// sheets add their pages.
class PropertySheet : public QDialog {
  Q_OBJECT

 public:
  QTabWidget* Tabs() const { return tabs_; }

 protected:
  PropertySheet(const QString& title, QWidget* parent);

 private:
  QTabWidget* tabs_;
};

}  // namespace tidewell::app
