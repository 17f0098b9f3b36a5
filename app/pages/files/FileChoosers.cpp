#include "pages/files/FileChoosers.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

#include "pages/files/AddFilesDialog.h"
#include "project/ProjectDialogRules.h"
#include "shell/QtText.h"
#include "toolkit/FileDialogSize.h"

namespace tidewell::app {

QString HostNameFilter(std::u16string_view label, std::u16string_view pattern) {
  const QString hostPattern =
      pattern == u"*.*" ? QStringLiteral("*") : ToQString(WString(pattern));
  return ToQString(WString(label)) + QStringLiteral(" (") + hostPattern + u')';
}

namespace {

std::optional<AddFilesChoice> ChooseFiles(QWidget* owner, const QString& startFolder,
                                          Prompt& prompt) {
  AddFilesDialog dialog(startFolder, prompt, owner);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return AddFilesChoice{dialog.selectedFiles(), dialog.Destination()};
}

// A folder picker that shows `text` above the folders.
QString ChooseFolder(QWidget* owner, const QString& startFolder, const QString& text) {
  QFileDialog dialog(owner, QObject::tr("Browse For Folder"), startFolder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setFileMode(QFileDialog::Directory);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    auto* label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    // Above everything else: the grid's items move one row down.
    QList<std::tuple<QLayoutItem*, int, int, int, int>> items;
    while (grid->count() > 0) {
      int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
      grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
      items.append({grid->takeAt(0), row, column, rowSpan, columnSpan});
    }
    grid->addWidget(label, 0, 0, 1, -1);
    for (const auto& [item, row, column, rowSpan, columnSpan] : items)
      grid->addItem(item, row + 1, column, rowSpan, columnSpan);
  }
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

QString ChooseExecutable(QWidget* owner) {
  QFileDialog dialog(owner, QObject::tr("Select file to execute"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({HostNameFilter(u"Executable File (*.exe)", u"*.exe"),
                         HostNameFilter(u"All Files (*.*)", u"*.*")});
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

}  // namespace

FileChoosers FileChoosers::SystemDialogs() {
  FileChoosers choosers;
  choosers.chooseFiles = &ChooseFiles;
  choosers.chooseFolder = &ChooseFolder;
  choosers.chooseExecutable = &ChooseExecutable;
  return choosers;
}

}  // namespace tidewell::app
