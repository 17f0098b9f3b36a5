#pragma once

#include <QWidget>

#include "build/ReleasePanes.h"
#include "dialogs/TextFields.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tidewell {
class ProjectSettings;
}

namespace tidewell::app {

class FieldRegistry;

// "Build": the two versions, read-only, and the build notes.
class BuildSummaryView : public QWidget {
  Q_OBJECT

 public:
  explicit BuildSummaryView(QWidget* parent);
  void Show(const BuildSummaryPane::Fields& fields);
  // The notes are the project's `Notes` setting.
  void LoadNotes(const ProjectSettings& settings);
  void StoreNotes(ProjectSettings& settings) const;

  QLineEdit* AppVersion() const { return appVersion_; }
  QLineEdit* UpdateVersion() const { return updateVersion_; }
  QPlainTextEdit* Notes() const { return notes_; }

 private:
  QLineEdit* appVersion_;
  QLineEdit* updateVersion_;
  QPlainTextEdit* notes_;
  ShownText shownNotes_;
};

// "File configuration": client executable, check-now tag, update file.
class FileConfigurationView : public QWidget {
  Q_OBJECT

 public:
  FileConfigurationView(FieldRegistry& registry, QWidget* parent);
  void Show(const FileConfigurationPane::Fields& fields);
  FileConfigurationPane::Fields Collect() const;

  QLineEdit* ClientExe() const { return clientExe_; }
  QLineEdit* CheckNow() const { return checkNow_; }
  QLineEdit* ClientXml() const { return clientXml_; }

 private:
  QLineEdit* clientExe_;
  QLineEdit* checkNow_;
  QLineEdit* clientXml_;
};

// "Version configuration": application version and update version.
class VersionConfigurationView : public QWidget {
  Q_OBJECT

 public:
  VersionConfigurationView(FieldRegistry& registry, QWidget* parent);
  void Show(const VersionConfigurationPane::Fields& fields);
  VersionConfigurationPane::Fields Collect() const;

  QLineEdit* AppVersion() const { return appVersion_; }
  QLineEdit* UpdateVersion() const { return updateVersion_; }

 private:
  QLineEdit* appVersion_;
  QLineEdit* updateVersion_;
};

}  // namespace tidewell::app
