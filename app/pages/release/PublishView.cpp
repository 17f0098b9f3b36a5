#include "pages/release/PublishView.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "pages/release/PublishProgressDialog.h"

namespace tidewell::app {

PublishView::PublishView(QWidget* parent) : QGroupBox(QStringLiteral("Publishing"), parent) {
  target_ = new QLineEdit(this);
  target_->setPlaceholderText(
      QStringLiteral("a folder, sftp://user@host/path, https://host/dav/path or s3://bucket/prefix"));
  target_->setToolTip(QStringLiteral("Where the update XML file's address points: the update "
                                     "files go below it as their address says."));
  filesTarget_ = new QLineEdit(this);
  filesTarget_->setPlaceholderText(QStringLiteral("only when the update files' address lies elsewhere"));
  identity_ = new QLineEdit(this);
  identity_->setPlaceholderText(QStringLiteral("SFTP: key file (default: the SSH agent)"));
  endpoint_ = new QLineEdit(this);
  endpoint_->setPlaceholderText(QStringLiteral("S3: address of an S3-compatible service"));
  prune_ = new QCheckBox(QStringLiteral("Remove published files that neither this nor the previous release lists"), this);
  publish_ = new QPushButton(QStringLiteral("Publish"), this);
  check_ = new QPushButton(QStringLiteral("Check release"), this);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Publish to:"), target_);
  form->addRow(QStringLiteral("Update files to:"), filesTarget_);
  form->addRow(QStringLiteral("SSH key:"), identity_);
  form->addRow(QStringLiteral("S3 endpoint:"), endpoint_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(prune_, 1);
  buttons->addWidget(check_);
  buttons->addWidget(publish_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  connect(publish_, &QPushButton::clicked, this, &PublishView::Publish);
  connect(check_, &QPushButton::clicked, this, &PublishView::Check);
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
