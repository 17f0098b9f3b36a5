#pragma once

class QFileDialog;

namespace tidewell::app {

// Gives a toolkit file dialog room to show whole names and every column of
// its detail view: about 110 characters by 30 lines, within the screen, with
// the name column taking half of the list. Call before showing it; the dialog
// is then centred on its owner's window as it opens.
void FitFileDialog(QFileDialog& dialog);

}  // namespace tidewell::app
