#pragma once

#include <QDialog>

#include "project/Lifecycle.h"
#include "project/ProjectDialogRules.h"

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace tidewell {
class Prompt;
}

namespace tidewell::app {

class FieldRegistry;

// What the "Project management" dialog starts with.
struct ProjectDialogInput {
  ProjectDialogMode mode = ProjectDialogMode::OpenMode;
  OpenPageChoices openChoices;  // the "Load" page's list and path
  WString initialLocation;      // the "New" page's location
  bool showLoadScreen = true;   // the check box, in the open mode
};

// The "Project management" dialog: "New" and "Load" (or "Save As" alone),
// OK and Cancel, and "Show load screen at startup" in the open mode. Every
// rule and text comes from the project dialog rules; OK stays refused with a
// balloon at the field until the choice is valid.
class ProjectDialog : public QDialog {
  Q_OBJECT

 public:
  ProjectDialog(const ProjectDialogInput& input, Prompt& prompt, FieldRegistry& fields,
                QWidget* parent = nullptr);

  ProjectDialogResult Result() const { return result_; }

  // The controls, for the window's own tests.
  QTabWidget* Tabs() const { return tabs_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* LocationEdit() const { return location_; }
  QListWidget* RecentList() const { return recent_; }
  QLineEdit* PathEdit() const { return path_; }
  QCheckBox* LoadScreenBox() const { return loadScreen_; }
  QPushButton* LocationBrowseButton() const { return locationBrowse_; }
  QPushButton* OpenBrowseButton() const { return openBrowse_; }
  QPushButton* OkButton() const;

 public slots:
  void accept() override;
  void reject() override;

 private:
  QWidget* BuildNewPage();
  QWidget* BuildOpenPage();
  void RegisterFields(FieldRegistry& fields);
  void NameEdited(const QString& name);
  void LocationChanged(const QString& location);
  void BrowseLocation();
  void BrowseProjectFile();
  bool OnLoadTab() const;

  ProjectDialogInput input_;
  Prompt& prompt_;
  ProjectDialogResult result_;
  QTabWidget* tabs_ = nullptr;
  QWidget* newPage_ = nullptr;
  QWidget* openPage_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* location_ = nullptr;
  QPushButton* locationBrowse_ = nullptr;
  QListWidget* recent_ = nullptr;
  QLineEdit* path_ = nullptr;
  QPushButton* openBrowse_ = nullptr;
  QCheckBox* loadScreen_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace tidewell::app
