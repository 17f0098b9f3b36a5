#pragma once

#include <QDialog>
#include <QPointer>

class QTableView;

namespace tidewell {
class Prompt;
class VariableList;
}  // namespace tidewell

namespace tidewell::app {

class FieldRegistry;
class VariableListModel;

// "Variables": the one modeless variables dialog of the process. The main
// window creates it hidden, gives it the document's list after every New and
// Open (`SetList`), and shows it for every "Variables" button
// (`ShowVariables`). Every change takes effect at once, so OK, Escape and
// the dialog losing the focus only hide it.
class VariablesDialog : public QDialog {
  Q_OBJECT

 public:
  VariablesDialog(Prompt& prompt, FieldRegistry& fields, QWidget* parent);

  // Shows `list` (null: nothing) and selects its first row.
  void SetList(VariableList* list);
  // Shows the dialog and gives it the focus. While a modal dialog is open
  // (the user-text dialog), the variables dialog goes with it, so it stays
  // usable; it returns to its own owner when that dialog closes.
  void ShowVariables();

  QTableView* List() const { return view_; }
  // The selected row, or -1.
  int SelectedRow() const;

  // "Create New" and a double-click on a row.
  void CreateNew();
  void EditRow(int row);

  void reject() override;
  void accept() override;

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectRow(int row);
  void HideUnlessFocusStaysInside();
  void ReturnToOwner();

  Prompt& prompt_;
  FieldRegistry& fields_;
  VariableList* list_ = nullptr;
  VariableListModel* model_;
  QTableView* view_;
  QPointer<QWidget> owner_;
  QPointer<QWidget> visiting_;  // the modal dialog it went with
};

}  // namespace tidewell::app
