#include "pages/files/ServerFilesPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QPersistentModelIndex>
#include <QVBoxLayout>

#include "content/ShellExecRules.h"
#include "files/DirectoryComparison.h"
#include "files/FileInfo.h"
#include "files/FileProperties.h"
#include "files/FileSelection.h"
#include "files/FileTree.h"
#include "project/ProjectDialogRules.h"
#include "files/TreePath.h"
#include "models/ItemTreeModel.h"
#include "models/ItemTreeView.h"
#include "pages/files/AutoCompareDialog.h"
#include "pages/files/ComparisonProgressWindow.h"
#include "pages/files/ComparisonPrompt.h"
#include "pages/files/FilePropertiesSheet.h"
#include "pages/files/PageParts.h"
#include "pages/files/ShellExecDialog.h"
#include "project/ProjectDocument.h"
#include "shell/QtText.h"
#include "toolkit/ElidedLabel.h"
#include "toolkit/HelpKey.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

void ExpandPath(ItemTreeView& view, const WString& path) {
  const TreeNode* node = FindNodeByPath(*view.TreeModel()->Tree(), path);
  for (; node; node = node->parent) view.expand(view.TreeModel()->IndexOf(node));
}

QLabel* Note(const QString& text, QWidget* parent) {
  auto* note = new QLabel(text, parent);
  note->setWordWrap(true);
  return note;
}

}  // namespace

ServerFilesPage::ServerFilesPage(PageServices& services, QWidget* parent)
    : Page(parent), services_(services) {
  fileModel_ = new ItemTreeModel(TreeKind::Files, this);
  executionModel_ = new ItemTreeModel(TreeKind::Executions, this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new PageHeader(
      tr("Update file selection"),
      tr("Select the appropriate files and their deployment properties. Undertake this step only "
         "when an update is required."),
      this));

  auto* body = new QHBoxLayout;
  body->setSpacing(12);

  addFiles_ = new QPushButton(tr("&Add Files"));
  autoCompare_ = new QPushButton(tr("Auto &Compare"));
  baseFolder_ = new QPushButton(QStringLiteral("..."));
  baseFolder_->setFixedWidth(baseFolder_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  body->addWidget(MakeSideColumn(
      "files.operations", {addFiles_, autoCompare_, baseFolder_}, tr("Files selection:"),
      {ToQString(kFileNameLabel), ToQString(kVersionLabel), ToQString(kModifiedDateLabel),
       ToQString(kFileSizeLabel)},
      info_, this));

  auto* trees = new QVBoxLayout;
  auto* baseRow = new QHBoxLayout;
  auto* baseLabel = new QLabel(tr("Base update directory:"), this);
  baseField_ = new ElidedLabel(this);
  baseField_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SetHelpKey(baseLabel, "files.baseFolder");
  SetHelpKey(baseField_, "files.baseFolder");
  baseRow->addWidget(baseLabel);
  baseRow->addWidget(baseField_, 1);
  trees->addLayout(baseRow);
  fileView_ = new ItemTreeView(fileModel_, this);
  // The smallest window still shows every column of the tree (its minimum
  // size); the side column gives up its room first.
  auto* filesLabel = new QLabel(tr("Files of the &update:"), this);
  filesLabel->setBuddy(fileView_);
  trees->addWidget(filesLabel);
  trees->addWidget(fileView_, 3);
  trees->addWidget(Note(
      tr("Double-click to change properties for zipping, update types and operating sytems."),
      this));
  trees->addSpacing(6);
  executionView_ = new ItemTreeView(executionModel_, this);
  addExecution_ = new QPushButton(tr("Add Execu&tion..."), this);
  SetHelpKey(addExecution_, "files.addExecution");
  auto* executionsRow = new QHBoxLayout;
  auto* executionsLabel = new QLabel(tr("File e&xecutions:"), this);
  executionsLabel->setBuddy(executionView_);
  executionsRow->addWidget(executionsLabel);
  executionsRow->addStretch();
  executionsRow->addWidget(addExecution_);
  trees->addLayout(executionsRow);
  trees->addWidget(executionView_, 1);
  trees->addWidget(
      Note(tr("Select to execute any files before, during or after the update."), this));
  body->addLayout(trees, 1);
  layout->addLayout(body, 1);

  connect(addFiles_, &QPushButton::clicked, this, &ServerFilesPage::AddFiles);
  connect(autoCompare_, &QPushButton::clicked, this, &ServerFilesPage::CompareVersions);
  connect(baseFolder_, &QPushButton::clicked, this, &ServerFilesPage::ChooseBaseFolder);
  connect(addExecution_, &QPushButton::clicked, this, &ServerFilesPage::AddExecution);

  connect(fileView_, &ItemTreeView::currentNodeChanged, this, &ServerFilesPage::ShowFileInfo);
  connect(fileView_, &ItemTreeView::propertiesRequested, this, &ServerFilesPage::EditFileProperties);
  connect(fileView_, &ItemTreeView::addRequested, this, &ServerFilesPage::AddFiles);
  connect(fileView_, &ItemTreeView::deleteRequested, this,
          [this](TreeNode* node) { DeleteNode(fileView_, node); });
  // An execution has no properties.
  connect(executionView_, &ItemTreeView::addRequested, this, &ServerFilesPage::AddExecution);
  connect(executionView_, &ItemTreeView::deleteRequested, this,
          [this](TreeNode* node) { DeleteNode(executionView_, node); });

  setTabOrder(addFiles_, autoCompare_);
  setTabOrder(autoCompare_, baseFolder_);
  setTabOrder(baseFolder_, fileView_);
  setTabOrder(fileView_, addExecution_);
  setTabOrder(addExecution_, executionView_);
  ShowNoneSelected();
}

void ServerFilesPage::BindDocument(ProjectDocument& document) {
  document_ = &document;
  fileModel_->Bind(&document.fileTree);
  executionModel_->Bind(&document.shellExecs);
  fileView_->ExpandTopLevel();
  executionView_->ExpandTopLevel();
  ShowNoneSelected();
  ShowBaseFolder();
}

void ServerFilesPage::LoadFromSettings() {
  // The trees show the document itself; only the panel starts again.
  if (!fileView_->CurrentNode()) ShowNoneSelected();
  ShowBaseFolder();
}

void ServerFilesPage::ShowBaseFolder() {
  const QString folder = document_ ? BaseFolder() : QString();
  baseField_->SetText(folder.isEmpty() ? tr("<None Selected>") : folder);
}

bool ServerFilesPage::ValidateAndStore(bool) { return false; }

void ServerFilesPage::ShowNoneSelected() {
  info_[0]->setText(tr("<None Selected>"));
  for (int row = 1; row < 4; ++row) info_[row]->clear();
}

void ServerFilesPage::ShowFileInfo(TreeNode* node) {
  if (!node || !document_) {
    ShowNoneSelected();
    return;
  }
  const FileInfoPanel panel = DescribeFile(document_->fileTree.GetItemDiskPath(*node));
  info_[0]->setText(ToQString(panel.fileName));
  info_[1]->setText(ToQString(panel.version));
  info_[2]->setText(ToQString(panel.modifiedDate));
  info_[3]->setText(ToQString(panel.fileSize));
}

QString ServerFilesPage::BaseFolder() const {
  return ToQString(document_->settings.RawValue(SettingKey::UpdateFilesDir));
}

void ServerFilesPage::AddFiles() {
  if (!document_ || !choosers_.chooseFiles) return;
  const std::optional<AddFilesChoice> choice =
      choosers_.chooseFiles(services_.window, BaseFolder(), services_.prompt);
  if (!choice || choice->files.isEmpty()) return;
  std::vector<WString> paths;
  paths.reserve(static_cast<size_t>(choice->files.size()));
  // Qt's dialogs name files with forward slashes on every system; the tree's
  // rules read the system's own separator.
  for (const QString& file : choice->files) paths.push_back(ToWString(QDir::toNativeSeparators(file)));
  const WString destination = ToWString(choice->destination);
  size_t added = 0;
  {
    TreeChange change(*fileView_);
    for (const FileSelection& selection : GroupFilesByDirectory(paths)) {
      const AddFilesResult result = tidewell::AddFiles(document_->settings, document_->fileTree,
                                                       selection, destination, services_.prompt);
      added += result.added;
      if (!result.accepted) break;
    }
  }
  ShowBaseFolder();
  // The folder that took the files opens to show them.
  if (added > 0) ExpandPath(*fileView_, destination);
}

void ServerFilesPage::ChooseBaseFolder() {
  if (!document_ || !choosers_.chooseFolder) return;
  const QString folder = choosers_.chooseFolder(services_.window, BaseFolder(),
                                                ToQString(kBaseDirectoryChooserText));
  if (folder.isEmpty()) return;
  {
    TreeChange change(*fileView_);
    ChooseBaseDirectory(document_->settings, document_->fileTree, ToWString(folder),
                        services_.prompt);
  }
  ShowBaseFolder();
}

void ServerFilesPage::CompareVersions() {
  if (!document_) return;
  // Both versions usually lie near the base update directory.
  AutoCompareDialog dialog(
      services_,
      [this](QWidget* owner, const QString& text) {
        return choosers_.chooseFolder ? choosers_.chooseFolder(owner, BaseFolder(), text)
                                      : QString();
      },
      services_.window);
  if (dialog.exec() != QDialog::Accepted) return;

  ComparisonProgressWindow progress(services_.window);
  QElapsedTimer sinceUpdate;
  QElapsedTimer sinceStart;
  sinceStart.start();
  bool shown = false;
  QString folder;
  size_t entries = 0;
  size_t taken = 0;
  const ComparisonObserver observer = [&](const ComparisonProgress& step) {
    emit comparisonProgressed(step.filesAdded);
    entries = step.entries;
    taken = step.filesAdded;
    if (!shown || sinceUpdate.elapsed() >= progressInterval_) {
      folder = ToQString(WString(step.folder));
      services_.prompt.SetStatusText(ToWString(ComparisonStatusText(folder, step.filesAdded)));
      // The window only for walks long enough to need it.
      if (sinceStart.elapsed() >= 2 * progressInterval_) progress.Report(folder, step.filesAdded);
      QCoreApplication::processEvents();
      sinceUpdate.restart();
      shown = true;
    }
    return !progress.Cancelled();
  };
  // Before each long-operation question the window shows, so its Cancel
  // stays within reach between two questions.
  ComparisonPrompt prompt(
      services_.prompt,
      [&] {
        if (!progress.isVisible()) progress.Report(folder, taken);
        QCoreApplication::processEvents();
      },
      [&] { return progress.Cancelled(); });
  ComparisonReport report;
  {
    TreeChange change(*fileView_);
    AutoCompare(document_->settings, document_->fileTree, dialog.OldFolder(),
                dialog.LatestFolder(), prompt, &report, observer);
  }
  progress.hide();
  ShowBaseFolder();
  services_.prompt.SetStatusText(ToWString(ComparisonSummaryText(report.filesAdded, entries)));
}

void ServerFilesPage::AddExecution() {
  if (!document_) return;
  ShellExecDialog dialog(services_, choosers_.chooseExecutable, services_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  const TreeNode* added = nullptr;
  {
    TreeChange change(*executionView_);
    added = AddShellExecution(document_->shellExecs, dialog.Fields());
  }
  if (added) executionView_->SelectNode(added);
}

void ServerFilesPage::EditFileProperties(TreeNode* node, bool fromCommand) {
  if (!document_ || !node || !OpensFileProperties(*node, fromCommand)) return;
  const FileRecord* record = FileTree::RecordOf(*node);
  if (!record) return;
  const FilePropertiesProbe probe = ProbeFileProperties(document_->fileTree, *node);
  FilePropertiesSheet sheet(FileProperties::Of(*record), probe, services_.prompt,
                            services_.window);
  const QPersistentModelIndex target(fileModel_->IndexOf(node));
  if (sheet.exec() != QDialog::Accepted) return;
  node = fileModel_->NodeOf(target);
  if (!node) return;
  FilePropertiesChange result;
  {
    TreeChange change(*fileView_);
    result = ApplyFileProperties(document_->fileTree, *node, sheet.Chosen(), services_.prompt);
  }
  // The entries just made are shown at once.
  if (result.entriesAdded > 0) fileView_->expand(fileModel_->IndexOf(node));
}

void ServerFilesPage::DeleteNode(ItemTreeView* view, TreeNode* node) {
  if (!node) return;
  TreeChange change(*view);
  view->TreeModel()->Tree()->DeleteItem(node);
}

}  // namespace tidewell::app
