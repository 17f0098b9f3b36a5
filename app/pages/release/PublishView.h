#pragma once

#include <functional>

#include <QGroupBox>

#include "publish/ReleaseJobs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tidewell {
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
  explicit PublishView(QWidget* parent);

  void SetDocument(const ProjectDocument* document) { document_ = document; }
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

  const ProjectDocument* document_ = nullptr;
  QLineEdit* target_;
  QLineEdit* filesTarget_;
  QLineEdit* identity_;
  QLineEdit* endpoint_;
  QCheckBox* prune_;
  QPushButton* publish_;
  QPushButton* check_;
  PublishProgressDialog* dialog_ = nullptr;
};

}  // namespace tidewell::app
