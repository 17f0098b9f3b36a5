#include "pages/registry/RegistryPage.h"

#include <QHBoxLayout>
#include <QPersistentModelIndex>
#include <QVBoxLayout>

#include "content/RegistryItemRules.h"
#include "content/RegistryOperation.h"
#include "content/RegistryTree.h"
#include "models/ItemTreeModel.h"
#include "models/ItemTreeView.h"
#include "models/TreeEdits.h"
#include "pages/files/PageParts.h"
#include "pages/registry/RegistryItemDialog.h"
#include "pages/registry/RegistryPropertiesSheet.h"
#include "project/ProjectDocument.h"
#include "shell/QtText.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

RegistryOperation* OperationOf(TreeNode* node) {
  return node && node->IsItem() ? dynamic_cast<RegistryOperation*>(node->record.get()) : nullptr;
}

}  // namespace

RegistryPage::RegistryPage(PageServices& services, QWidget* parent)
    : Page(parent), services_(services) {
  model_ = new ItemTreeModel(TreeKind::Registry, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new PageHeader(tr("Registry modifications"),
                                tr("Select the appropriate client registry modifications. "
                                   "Undertake this step only when an update is required."),
                                this));
  auto* body = new QHBoxLayout;
  body->setSpacing(12);

  add_ = new QPushButton(tr("&Add RegKey"));
  body->addWidget(MakeSideColumn("registry.operations", {add_}, tr("Selected registry item:"),
                                 {tr("Key name:"), tr("Key value:"), tr("Type:")}, item_, this));

  view_ = new ItemTreeView(model_, this);
  // The smallest window still shows the tree's names; the side column gives
  // up its room first.
  view_->setMinimumWidth(270);
  body->addWidget(view_, 1);
  layout->addLayout(body, 1);

  connect(add_, &QPushButton::clicked, this, &RegistryPage::AddOperation);
  connect(view_, &ItemTreeView::addRequested, this, &RegistryPage::AddOperation);
  connect(view_, &ItemTreeView::currentNodeChanged, this, &RegistryPage::ShowItem);
  connect(view_, &ItemTreeView::propertiesRequested, this,
          [this](TreeNode* node, bool) { EditProperties(node); });
  connect(view_, &ItemTreeView::deleteRequested, this, [this](TreeNode* node) {
    if (!document_ || !node) return;
    TreeChange change(*view_);
    document_->registryTree.DeleteItem(node);
  });
  setTabOrder(add_, view_);
}

void RegistryPage::BindDocument(ProjectDocument& document) {
  document_ = &document;
  model_->Bind(&document.registryTree);
  view_->ExpandTopLevel();
  ShowItem(nullptr);
}

void RegistryPage::LoadFromSettings() {}

bool RegistryPage::ValidateAndStore(bool) { return false; }

void RegistryPage::ShowItem(TreeNode* node) {
  const RegistryOperation* operation = OperationOf(node);
  item_[0]->setText(operation ? ToQString(operation->Name) : QString());
  item_[1]->setText(operation ? ToQString(operation->valueData) : QString());
  item_[2]->setText(operation ? ToQString(operation->valueType) : QString());
}

void RegistryPage::AddOperation() {
  if (!document_) return;
  RegistryItemDialog dialog(services_, services_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  const TreeNode* added = nullptr;
  {
    TreeChange change(*view_);
    added = AddRegistryOperation(document_->registryTree, dialog.Fields());
  }
  if (added) view_->SelectNode(added);
}

void RegistryPage::EditProperties(TreeNode* node) {
  const RegistryOperation* operation = OperationOf(node);
  if (!operation) return;  // a key opens nothing
  RegistryPropertiesSheet sheet(operation->OS, services_.window);
  const QPersistentModelIndex target(model_->IndexOf(node));
  if (sheet.exec() != QDialog::Accepted) return;
  if (RegistryOperation* still = OperationOf(model_->NodeOf(target))) {
    still->OS = sheet.Targets();
    ShowItem(view_->CurrentNode());
    TreeEdits::Instance().Committed();
  }
}

}  // namespace tidewell::app
