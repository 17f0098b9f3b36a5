#include "dialogs/VariablesDialog.h"

#include <QApplication>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "content/VariableList.h"
#include "content/VariablesDialogRules.h"
#include "dialogs/RegistryReadDialog.h"
#include "dialogs/VariableListModel.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

// Whether `widget` is `window` or one of its dialogs, menus or editors.
bool BelongsTo(const QWidget* widget, const QWidget* window) {
  for (; widget; widget = widget->parentWidget())
    if (widget == window) return true;
  return false;
}

}  // namespace

VariablesDialog::VariablesDialog(Prompt& prompt, FieldRegistry& fields, QWidget* parent)
    : QDialog(parent), prompt_(prompt), fields_(fields), owner_(parent) {
  setWindowTitle(QStringLiteral("Variables"));
  setModal(false);

  model_ = new VariableListModel(this);
  view_ = new QTableView(this);
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 8);
  view_->setShowGrid(false);
  view_->setAlternatingRowColors(true);
  view_->setWordWrap(false);
  view_->horizontalHeader()->setHighlightSections(false);
  view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->setColumnWidth(0, 75);
  view_->setColumnWidth(1, 250);
  view_->setColumnWidth(2, 75);
  // The selection stays visible when the list has no focus.
  QPalette palette = view_->palette();
  palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                   palette.brush(QPalette::Active, QPalette::Highlight));
  palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   palette.brush(QPalette::Active, QPalette::HighlightedText));
  view_->setPalette(palette);
  SetHelpKey(view_, "variables.list");

  auto* createNew = new QPushButton(QStringLiteral("Create New"), this);
  createNew->setAutoDefault(false);
  SetHelpKey(createNew, "variables.createNew");
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(createNew);
  buttons->addStretch();
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new PageHeader(
      QStringLiteral("Variables"),
      QStringLiteral("Create new variables for use with your Tidewell client"), this));
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
  resize(460, 340);

  connect(createNew, &QPushButton::clicked, this, &VariablesDialog::CreateNew);
  connect(ok, &QPushButton::clicked, this, &VariablesDialog::accept);
  connect(view_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { EditRow(index.row()); });
  connect(model_, &VariableListModel::RowMoved, this, &VariablesDialog::SelectRow);

  fields_.Register(kVariablesListField, view_);
}

void VariablesDialog::SetList(VariableList* list) {
  list_ = list;
  model_->SetList(list);
  SelectRow(0);
}

void VariablesDialog::ShowVariables() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && !BelongsTo(modal, this) && modal != visiting_) {
    // A modal dialog blocks every other window of its owner: go with it.
    ReturnToOwner();
    visiting_ = modal;
    const QRect place = geometry();
    setParent(modal, windowFlags());
    setGeometry(place);
    modal->installEventFilter(this);
  }
  model_->Reload();
  if (SelectedRow() < 0) SelectRow(0);
  show();
  raise();
  activateWindow();
}

int VariablesDialog::SelectedRow() const {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void VariablesDialog::CreateNew() {
  if (!list_) return;
  RegistryReadDialog dialog(RegistryReadFields{}, prompt_, fields_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const size_t row = CreateVariable(*list_, dialog.Fields());
  model_->Reload();
  SelectRow(static_cast<int>(row));
}

void VariablesDialog::EditRow(int row) {
  if (!list_) return;
  const std::optional<size_t> selected =
      row < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(row));
  if (!CheckVariableEditable(*list_, selected, prompt_)) return;
  RegistryReadDialog dialog(RegistryReadFieldsFromVariable(list_->Rows()[*selected]), prompt_,
                            fields_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  UpdateVariable(*list_, *selected, dialog.Fields());
  model_->Reload();
  SelectRow(row);
}

void VariablesDialog::reject() { hide(); }

void VariablesDialog::accept() { hide(); }

void VariablesDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Decided once the activation has settled: a dialog, menu or message box
  // of this dialog taking the focus keeps it open.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
    QTimer::singleShot(0, this, &VariablesDialog::HideUnlessFocusStaysInside);
}

bool VariablesDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == visiting_ && event->type() == QEvent::Hide) ReturnToOwner();
  return QDialog::eventFilter(watched, event);
}

void VariablesDialog::SelectRow(int row) {
  if (row < 0 || row >= model_->rowCount()) {
    view_->clearSelection();
    return;
  }
  view_->selectRow(row);
  view_->setCurrentIndex(model_->index(row, 0));
  view_->scrollTo(model_->index(row, 0));
}

void VariablesDialog::HideUnlessFocusStaysInside() {
  if (!isVisible() || isActiveWindow()) return;
  for (QWidget* w : {QApplication::activeWindow(), QApplication::activeModalWidget(),
                     QApplication::activePopupWidget()})
    if (w && BelongsTo(w, this)) return;
  hide();
}

void VariablesDialog::ReturnToOwner() {
  if (!visiting_) return;
  visiting_->removeEventFilter(this);
  visiting_ = nullptr;
  const QRect place = geometry();
  setParent(owner_, windowFlags());
  setGeometry(place);
}

}  // namespace tidewell::app
