#pragma once

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

namespace tidewell {
class Prompt;
}

namespace tidewell::app {

// "Select files for the update...": a file dialog for several existing
// files with the client destination below the file list: the root (the four
// roots, "<ApplicationDir>" chosen), a fixed "\" and the sub-folders.
class AddFilesDialog final : public QFileDialog {
  Q_OBJECT

 public:
  AddFilesDialog(const QString& startFolder, Prompt& prompt, QWidget* parent = nullptr);

  // The destination the controls describe, by the core's rule.
  QString Destination() const;
  // A destination the update client could not use is not taken: the reason
  // is shown and the dialog stays open.
  void accept() override;

  QComboBox* Root() const { return root_; }
  QLineEdit* SubDirectories() const { return subDirectories_; }
  QPushButton* HelpButton() const { return help_; }

 private:
  Prompt& prompt_;
  QComboBox* root_;
  QLineEdit* subDirectories_;
  QPushButton* help_;
};

}  // namespace tidewell::app
