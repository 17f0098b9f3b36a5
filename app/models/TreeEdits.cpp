#include "models/TreeEdits.h"

namespace tidewell::app {

TreeEdits& TreeEdits::Instance() {
  static TreeEdits edits;
  return edits;
}

}  // namespace tidewell::app
