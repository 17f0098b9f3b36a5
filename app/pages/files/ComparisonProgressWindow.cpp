#include "pages/files/ComparisonProgressWindow.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "files/DirectoryComparison.h"
#include "shell/QtText.h"

namespace tidewell::app {

namespace {

QString FilesText(qulonglong files) {
  return files == 1 ? QObject::tr("1 file") : QObject::tr("%1 files").arg(files);
}

}  // namespace

QString ComparisonStatusText(const QString& folder, qulonglong filesTaken) {
  return QObject::tr("Comparing %1 (%2 taken)").arg(folder, FilesText(filesTaken));
}

QString ComparisonSummaryText(qulonglong filesTaken, qulonglong entries) {
  const QString entryText =
      entries == 1 ? QObject::tr("1 entry") : QObject::tr("%1 entries").arg(entries);
  return QObject::tr("Comparison done: %1 taken from %2").arg(FilesText(filesTaken), entryText);
}

ComparisonProgressWindow::ComparisonProgressWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(ToQString(kAutoCompareTitle));
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  folder_ = new QLabel(this);
  folder_->setMinimumWidth(380);
  folder_->setTextFormat(Qt::PlainText);
  files_ = new QLabel(this);
  layout->addWidget(new QLabel(tr("Comparing the folders of the two versions..."), this));
  layout->addWidget(folder_);
  layout->addWidget(files_);
  auto* row = new QHBoxLayout;
  row->addStretch();
  cancel_ = new QPushButton(tr("Cancel"), this);
  row->addWidget(cancel_);
  layout->addLayout(row);
  connect(cancel_, &QPushButton::clicked, this, &ComparisonProgressWindow::reject);
}

void ComparisonProgressWindow::Report(const QString& folder, qulonglong filesTaken) {
  // Long folder paths keep their end, which tells where the walk is.
  folder_->setText(folder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, folder_->width()));
  files_->setText(tr("Files taken: %1").arg(filesTaken));
  if (!isVisible()) show();
}

void ComparisonProgressWindow::reject() {
  cancelled_ = true;
  cancel_->setEnabled(false);
}

}  // namespace tidewell::app
