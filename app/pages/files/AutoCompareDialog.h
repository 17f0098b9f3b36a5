#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

#include "text/WString.h"

namespace tidewell::app {

struct PageServices;

// "Automatic file addition": the folders of the old and of the latest version
// of the product, typed, pasted or chosen with their "Browse" buttons, whose
// picker says which version it asks for. Each use starts empty. OK needs
// both; the balloon points at the empty one's "Browse".
class AutoCompareDialog final : public QDialog {
  Q_OBJECT

 public:
  // `chooseFolder` opens the folder picker with a text above the folders.
  using FolderChooser = std::function<QString(QWidget* owner, const QString& text)>;
  AutoCompareDialog(PageServices& services, FolderChooser chooseFolder,
                    QWidget* parent = nullptr);

  WString OldFolder() const;
  WString LatestFolder() const;

  QLineEdit* OldField() const { return old_; }
  QLineEdit* LatestField() const { return latest_; }
  QPushButton* OldBrowse() const { return oldBrowse_; }
  QPushButton* LatestBrowse() const { return latestBrowse_; }

  void accept() override;

 private:
  PageServices& services_;
  FolderChooser chooseFolder_;
  QLineEdit* old_;
  QLineEdit* latest_;
  QPushButton* oldBrowse_;
  QPushButton* latestBrowse_;
};

}  // namespace tidewell::app
