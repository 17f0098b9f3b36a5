#pragma once

#include <functional>

#include <QGroupBox>

#include "publish/ReleaseJobs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tidewell {
class Preferences;
class ProjectDocument;
}

namespace tidewell::app {

class PublishProgressDialog;

// The Build page's publishing: where the release goes, and the buttons that
// publish it and check it as a client sees it. The work runs in the
// progress dialog, off the window's thread.
class PublishView : public QGroupBox {
  Q_OBJECT

 public:
  PublishView(Preferences& preferences, QWidget* parent);

  void SetDocument(const ProjectDocument* document) { document_ = document; }
  // The project file the targets are kept for; read on every load and store.
  void SetProjectFile(std::function<WString()> projectFile);
  // Shows the project's targets, as kept in the preferences.
  void Load();
  // Keeps the fields for the project.
  void Store();
  // The request the fields describe.
  publish::PublishRequest Request() const;

  void Publish();
  void Check();

  QLineEdit* Target() const { return target_; }
  QLineEdit* FilesTarget() const { return filesTarget_; }
  QLineEdit* Identity() const { return identity_; }
  QLineEdit* Endpoint() const { return endpoint_; }
  QCheckBox* Prune() const { return prune_; }
  QPushButton* PublishButton() const { return publish_; }
  QPushButton* CheckButton() const { return check_; }
  // The dialog of the last job, while it is open (the tests read it).
  PublishProgressDialog* Dialog() const { return dialog_; }

 signals:
  void finished();

 private:
  void Run(const QString& title, std::function<publish::JobResult(const publish::JobProgressFn&)> job);

  Preferences& preferences_;
  std::function<WString()> projectFile_;
  const ProjectDocument* document_ = nullptr;
  QLineEdit* target_;
  QLineEdit* filesTarget_;
  QLineEdit* identity_;
  QLineEdit* endpoint_;
  QCheckBox* prune_;
  QPushButton* publish_;
  QPushButton* check_;
  QToolButton* more_;
  QWidget* options_;
  PublishProgressDialog* dialog_ = nullptr;
};

}  // namespace tidewell::app
