#pragma once

#include <QObject>

namespace tidewell::app {

// Where the main window hears that a tree of the project was changed: a
// TreeChange that ends, or an edit of a node's properties in place. The main
// window keeps the change for undo.
class TreeEdits final : public QObject {
  Q_OBJECT

 public:
  static TreeEdits& Instance();
  void Committed() { emit committed(); }

 signals:
  void committed();
};

}  // namespace tidewell::app
