#pragma once

#include <QLabel>
#include <QPushButton>

#include "shell/Page.h"
#include "shell/PageServices.h"

namespace tidewell {
class ProjectDocument;
struct TreeNode;
}  // namespace tidewell

namespace tidewell::app {

class ItemTreeModel;
class ItemTreeView;

// "Registry": the registry changes the client makes, as keys holding
// operations, and the selected operation's name, data and type.
class RegistryPage final : public Page {
  Q_OBJECT

 public:
  RegistryPage(PageServices& services, QWidget* parent = nullptr);

  void BindDocument(ProjectDocument& document) override;
  void LoadFromSettings() override;
  bool ValidateAndStore(bool showBalloon) override;

  ItemTreeView* View() const { return view_; }
  QPushButton* AddButton() const { return add_; }
  // Key name, Key value, Type.
  QLabel* ItemField(int row) const { return item_[row]; }

  void AddOperation();

 private:
  void ShowItem(TreeNode* node);
  void EditProperties(TreeNode* node);

  PageServices& services_;
  ProjectDocument* document_ = nullptr;
  ItemTreeModel* model_;
  ItemTreeView* view_;
  QPushButton* add_;
  QLabel* item_[3] = {};
};

}  // namespace tidewell::app
