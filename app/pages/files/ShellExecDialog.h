#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "content/ShellExecRules.h"

namespace tidewell::app {

struct PageServices;

// "File execution": the execution directory, the file name ("..." keeps only
// the chosen file's name) and the execution point. OK checks the fields by
// the core's rules and stays open on a refusal.
class ShellExecDialog final : public QDialog {
  Q_OBJECT

 public:
  ShellExecDialog(PageServices& services, std::function<QString(QWidget*)> chooseExecutable,
                  QWidget* parent = nullptr);

  ShellExecFields Fields() const;

  QComboBox* Directory() const { return directory_; }
  QLineEdit* FileName() const { return fileName_; }
  QPushButton* BrowseButton() const { return browse_; }
  QComboBox* Point() const { return point_; }
  QLabel* PointLabel() const { return pointLabel_; }

  void accept() override;

 private:
  PageServices& services_;
  std::function<QString(QWidget*)> chooseExecutable_;
  QComboBox* directory_;
  QLineEdit* fileName_;
  QPushButton* browse_;
  QComboBox* point_;
  QLabel* pointLabel_;
};

}  // namespace tidewell::app
