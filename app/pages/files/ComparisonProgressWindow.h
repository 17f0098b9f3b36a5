#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace tidewell::app {

// The small window shown while a long comparison runs: the folder being
// walked, the files taken so far, and Cancel (or Escape) to stop it.
class ComparisonProgressWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit ComparisonProgressWindow(QWidget* parent = nullptr);

  void Report(const QString& folder, qulonglong filesTaken);
  bool Cancelled() const { return cancelled_; }
  QPushButton* CancelButton() const { return cancel_; }

  void reject() override;

 private:
  QLabel* folder_;
  QLabel* files_;
  QPushButton* cancel_;
  bool cancelled_ = false;
};

// The status text of a running comparison.
QString ComparisonStatusText(const QString& folder, qulonglong filesTaken);
// The status text after a comparison: the files taken and the entries
// looked at ("1 file", "2 files").
QString ComparisonSummaryText(qulonglong filesTaken, qulonglong entries);

}  // namespace tidewell::app
