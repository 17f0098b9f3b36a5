#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <QDialog>

#include "publish/ReleaseJobs.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tidewell::app {

// Runs a publish or a check on a thread of its own and shows how it goes: a
// bar, the bytes done of all with the speed, the file, and Cancel; then the
// result. Questions the job asks (a host key to trust, a password) come to
// the window's thread and wait for the answer.
class PublishProgressDialog : public QDialog {
  Q_OBJECT

 public:
  using Job = std::function<publish::JobResult(const publish::JobProgressFn&)>;

  PublishProgressDialog(const QString& title, QWidget* parent);
  ~PublishProgressDialog() override;

  // Starts the job; the dialog shows its result when it ends.
  void Start(Job job);
  // Asks on the window's thread from the job's: a yes/no question, a password.
  bool AskYesNo(const std::string& question);
  std::optional<std::string> AskPassword(const std::string& question);

  bool Running() const { return running_; }
  const publish::JobResult& Result() const { return result_; }
  QPlainTextEdit* ResultText() const { return resultText_; }
  QProgressBar* Bar() const { return bar_; }
  QPushButton* CancelButton() const { return cancel_; }

 signals:
  void jobEnded();

 protected:
  void reject() override;

 private:
  void ShowProgress(const publish::JobProgress& progress);
  void ShowResult();

  QLabel* stage_;
  QLabel* file_;
  QLabel* bytes_;
  QProgressBar* bar_;
  QPlainTextEdit* resultText_;
  QPushButton* cancel_;
  std::thread worker_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> running_{false};
  publish::JobResult result_;
  std::chrono::steady_clock::time_point stageStart_;
  publish::JobStage stageShown_ = publish::JobStage::Reading;
};

}  // namespace tidewell::app
