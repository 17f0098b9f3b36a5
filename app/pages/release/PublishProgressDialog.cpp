#include "pages/release/PublishProgressDialog.h"

#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidewell::app {

namespace {

QString Size(std::uint64_t bytes) {
  return QLocale::system().formattedDataSize(static_cast<qint64>(bytes), 1,
                                             QLocale::DataSizeSIFormat);
}

QString StageText(publish::JobStage stage) {
  switch (stage) {
    case publish::JobStage::Reading: return QStringLiteral("Checking the built release...");
    case publish::JobStage::Sending: return QStringLiteral("Sending...");
    case publish::JobStage::Checking: return QStringLiteral("Checking the release as a client sees it...");
  }
  return {};
}

}  // namespace

PublishProgressDialog::PublishProgressDialog(const QString& title, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(title);
  setModal(true);
  stage_ = new QLabel(StageText(publish::JobStage::Reading), this);
  file_ = new QLabel(this);
  file_->setTextFormat(Qt::PlainText);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 1000);
  bytes_ = new QLabel(this);
  resultText_ = new QPlainTextEdit(this);
  resultText_->setReadOnly(true);
  resultText_->hide();
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(stage_);
  layout->addWidget(file_);
  layout->addWidget(bar_);
  layout->addWidget(bytes_);
  layout->addWidget(resultText_, 1);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  connect(cancel_, &QPushButton::clicked, this, &PublishProgressDialog::reject);
  resize(560, 220);
}

PublishProgressDialog::~PublishProgressDialog() {
  cancelled_ = true;
  if (worker_.joinable()) worker_.join();
}

void PublishProgressDialog::Start(Job job) {
  running_ = true;
  stageStart_ = std::chrono::steady_clock::now();
  worker_ = std::thread([this, job = std::move(job)] {
    publish::JobResult result = job([this](const publish::JobProgress& progress) {
      QMetaObject::invokeMethod(this, [this, progress] { ShowProgress(progress); },
                                Qt::QueuedConnection);
      return !cancelled_.load();
    });
    QMetaObject::invokeMethod(this, [this, result = std::move(result)]() mutable {
      result_ = std::move(result);
      running_ = false;
      ShowResult();
    }, Qt::QueuedConnection);
  });
}

bool PublishProgressDialog::AskYesNo(const std::string& question) {
  bool yes = false;
  QMetaObject::invokeMethod(this, [&] {
    yes = QMessageBox::question(this, windowTitle(), QString::fromStdString(question)) ==
          QMessageBox::Yes;
  }, Qt::BlockingQueuedConnection);
  return yes;
}

std::optional<std::string> PublishProgressDialog::AskPassword(const std::string& question) {
  std::optional<std::string> password;
  QMetaObject::invokeMethod(this, [&] {
    bool ok = false;
    const QString text = QInputDialog::getText(this, windowTitle(), QString::fromStdString(question),
                                               QLineEdit::Password, {}, &ok);
    if (ok) password = text.toStdString();
  }, Qt::BlockingQueuedConnection);
  return password;
}

void PublishProgressDialog::ShowProgress(const publish::JobProgress& progress) {
  const auto now = std::chrono::steady_clock::now();
  if (progress.stage != stageShown_) {
    stageShown_ = progress.stage;
    stageStart_ = now;
  }
  stage_->setText(StageText(progress.stage));
  file_->setText(QString::fromStdString(progress.file));
  bar_->setValue(progress.total ? static_cast<int>(progress.done * 1000 / progress.total) : 0);
  QString text = Size(progress.done) + QStringLiteral(" of ") + Size(progress.total);
  const double seconds = std::chrono::duration<double>(now - stageStart_).count();
  if (seconds > 0.2)
    text += QStringLiteral(", ") + Size(static_cast<std::uint64_t>(static_cast<double>(progress.done) / seconds)) +
            QStringLiteral("/s");
  bytes_->setText(text);
}

void PublishProgressDialog::ShowResult() {
  if (worker_.joinable()) worker_.join();
  QStringList lines;
  for (const std::string& line : publish::DescribeResult(result_)) lines << QString::fromStdString(line);
  if (!result_.message.empty()) lines << QString::fromStdString(result_.message);
  stage_->setText(result_.outcome == CommandOutcome::Done ? QStringLiteral("Done.")
                                                          : QStringLiteral("Not done."));
  file_->clear();
  bar_->setValue(result_.outcome == CommandOutcome::Done ? 1000 : bar_->value());
  resultText_->setPlainText(lines.join(QLatin1Char('\n')));
  resultText_->show();
  cancel_->setText(QStringLiteral("Close"));
  resize(width(), 360);
  emit jobEnded();
}

void PublishProgressDialog::reject() {
  if (running_) {
    // The job stops at its next step; the dialog closes when it has.
    cancelled_ = true;
    cancel_->setEnabled(false);
    stage_->setText(QStringLiteral("Cancelling..."));
    return;
  }
  QDialog::reject();
}

}  // namespace tidewell::app
