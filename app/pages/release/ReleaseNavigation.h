#pragma once

#include <QListWidget>

namespace tidewell::app {

// The release page's own navigation bar: groups of items under headers.
// Choosing an item only reports it (`Chosen`); the page decides whether the
// selection moves (`Select`), so a refused pane switch leaves it where it
// was. Items can be balloon anchors (`ItemRect`).
class ReleaseNavigation : public QListWidget {
  Q_OBJECT

 public:
  explicit ReleaseNavigation(QWidget* parent);

  void AddGroup(const QString& title);
  void AddItem(int id, const QString& text, const QIcon& icon);

  void Select(int id);
  int Selected() const;
  // The item's rectangle in this widget's coordinates.
  QRect ItemRect(int id) const;
  // Chooses an item as a click would.
  void Choose(int id) { emit Chosen(id); }

  QSize sizeHint() const override;

 signals:
  void Chosen(int id);

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QListWidgetItem* ItemOf(int id) const;
};

}  // namespace tidewell::app
