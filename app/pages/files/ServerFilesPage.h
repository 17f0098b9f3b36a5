#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

#include "pages/files/FileChoosers.h"
#include "shell/Page.h"
#include "shell/PageServices.h"

namespace tidewell {
class ProjectDocument;
struct TreeNode;
}  // namespace tidewell

namespace tidewell::app {

class ItemTreeModel;
class ItemTreeView;
class ElidedLabel;

// "Server Files": the files of the update with where they go and how they
// are compared, and the files the client starts during the update.
class ServerFilesPage final : public Page {
  Q_OBJECT

 public:
  ServerFilesPage(PageServices& services, QWidget* parent = nullptr);

  void BindDocument(ProjectDocument& document) override;
  void LoadFromSettings() override;
  bool ValidateAndStore(bool showBalloon) override;

  // The dialogs the page opens; a test replaces them.
  void SetChoosers(FileChoosers choosers) { choosers_ = std::move(choosers); }
  // How often a running comparison updates its progress and looks for a
  // Cancel; 0 on every entry.
  void SetProgressInterval(int milliseconds) { progressInterval_ = milliseconds; }

  ItemTreeView* FileView() const { return fileView_; }
  ItemTreeView* ExecutionView() const { return executionView_; }
  QPushButton* AddFilesButton() const { return addFiles_; }
  QPushButton* AutoCompareButton() const { return autoCompare_; }
  QPushButton* BaseFolderButton() const { return baseFolder_; }
  QPushButton* AddExecutionButton() const { return addExecution_; }
  // The base update directory as the page shows it.
  ElidedLabel* BaseFolderField() const { return baseField_; }
  // FileName, Version, Modified Date, File Size.
  QLabel* InfoField(int row) const { return info_[row]; }

  // The page's work, also reached through the buttons and the trees.
  void AddFiles();
  void ChooseBaseFolder();
  void CompareVersions();
  void AddExecution();

 signals:
  // A running comparison reached another entry (for the progress window).
  void comparisonProgressed(qulonglong filesTaken);

 private:
  QString BaseFolder() const;
  void ShowBaseFolder();
  void ShowFileInfo(TreeNode* node);
  void ShowNoneSelected();
  void EditFileProperties(TreeNode* node, bool fromCommand);
  void DeleteNode(ItemTreeView* view, TreeNode* node);

  PageServices& services_;
  FileChoosers choosers_ = FileChoosers::SystemDialogs();
  ProjectDocument* document_ = nullptr;
  ItemTreeModel* fileModel_;
  ItemTreeModel* executionModel_;
  ItemTreeView* fileView_;
  ItemTreeView* executionView_;
  QPushButton* addFiles_;
  QPushButton* autoCompare_;
  QPushButton* baseFolder_;
  QPushButton* addExecution_;
  ElidedLabel* baseField_;
  QLabel* info_[4] = {};
  int progressInterval_ = 100;
};

}  // namespace tidewell::app
