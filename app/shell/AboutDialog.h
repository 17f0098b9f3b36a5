#pragma once

#include <QDialog>

namespace tidewell::app {

// "About Tidewell": the version, what the tool is for, and the libraries it
// is built on with their licences.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tidewell::app
