#include "pages/release/PublishView.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "pages/release/PublishProgressDialog.h"
#include "publish/PublishPreference.h"

namespace tidewell::app {

PublishView::PublishView(Preferences& preferences, QWidget* parent)
    : QGroupBox(QStringLiteral("Publishing"), parent), preferences_(preferences) {
  target_ = new QLineEdit(this);
  target_->setPlaceholderText(
      QStringLiteral("a folder, sftp://, https:// (WebDAV) or s3://"));
  target_->setToolTip(QStringLiteral("Where the update XML file's address points: the update "
                                     "files go below it as their address says."));
  filesTarget_ = new QLineEdit(this);
  filesTarget_->setPlaceholderText(QStringLiteral("only when the update files' address lies elsewhere"));
  identity_ = new QLineEdit(this);
  identity_->setPlaceholderText(QStringLiteral("SFTP: key file (default: the SSH agent)"));
  endpoint_ = new QLineEdit(this);
  endpoint_->setPlaceholderText(QStringLiteral("S3: address of an S3-compatible service"));
  prune_ = new QCheckBox(QStringLiteral("Remove files published before that neither this nor the previous release lists"), this);
  publish_ = new QPushButton(QStringLiteral("Publish"), this);
  check_ = new QPushButton(QStringLiteral("Check release"), this);

  // The target, the buttons, and the options a target may need, shown on
  // request so the page keeps its room.
  more_ = new QToolButton(this);
  more_->setText(QStringLiteral("Options"));
  more_->setCheckable(true);
  options_ = new QWidget(this);
  auto* form = new QFormLayout(options_);
  form->setContentsMargins(0, 0, 0, 0);
  form->addRow(QStringLiteral("Update files to:"), filesTarget_);
  form->addRow(QStringLiteral("SSH key:"), identity_);
  form->addRow(QStringLiteral("S3 endpoint:"), endpoint_);
  form->addRow(prune_);
  options_->setVisible(false);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Publish to:"), this));
  row->addWidget(target_, 1);
  row->addWidget(more_);
  row->addWidget(check_);
  row->addWidget(publish_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(options_);
  connect(more_, &QToolButton::toggled, options_, &QWidget::setVisible);
  connect(publish_, &QPushButton::clicked, this, &PublishView::Publish);
  connect(check_, &QPushButton::clicked, this, &PublishView::Check);
}

void PublishView::SetProjectFile(std::function<WString()> projectFile) {
  projectFile_ = std::move(projectFile);
  Load();
}

void PublishView::Load() {
  const WString file = projectFile_ ? projectFile_() : WString();
  const publish::PublishRequest kept = publish::ReadPublishPreference(preferences_, file);
  target_->setText(QString::fromStdString(kept.to));
  filesTarget_->setText(QString::fromStdString(kept.filesTo));
  identity_->setText(QString::fromStdString(kept.options.identity.string()));
  endpoint_->setText(QString::fromStdString(kept.options.endpoint));
  prune_->setChecked(kept.prune);
  setEnabled(!file.empty());
}

void PublishView::Store() {
  const WString file = projectFile_ ? projectFile_() : WString();
  if (!file.empty()) publish::WritePublishPreference(preferences_, file, Request());
}

publish::PublishRequest PublishView::Request() const {
  publish::PublishRequest request;
  request.to = target_->text().trimmed().toStdString();
  request.filesTo = filesTarget_->text().trimmed().toStdString();
  request.options.identity = identity_->text().trimmed().toStdString();
  request.options.endpoint = endpoint_->text().trimmed().toStdString();
  request.prune = prune_->isChecked();
  return request;
}

void PublishView::Publish() {
  if (!document_) return;
  Store();
  publish::PublishRequest request = Request();
  Run(QStringLiteral("Publish"), [this, request](const publish::JobProgressFn& progress) mutable {
    request.options.acceptHostKey = [this](const std::string& question) { return dialog_->AskYesNo(question); };
    request.options.askPassword = [this](const std::string& question) { return dialog_->AskPassword(question); };
    return publish::PublishProject(*document_, request, progress);
  });
}

void PublishView::Check() {
  if (!document_) return;
  Run(QStringLiteral("Check release"), [this](const publish::JobProgressFn& progress) {
    return publish::CheckProjectRelease(*document_, {}, progress);
  });
}

void PublishView::Run(const QString& title, PublishProgressDialog::Job job) {
  delete dialog_;
  dialog_ = new PublishProgressDialog(title, this);
  connect(dialog_, &PublishProgressDialog::jobEnded, this, &PublishView::finished);
  dialog_->Start(std::move(job));
  dialog_->open();
}

}  // namespace tidewell::app
