#pragma once

namespace tidewell::app {

// On Windows, text is drawn through DirectWrite unless the user chose a
// platform (QT_QPA_PLATFORM) himself. The GDI engine of this Qt version draws
// nothing in line edits under some Windows layers (Wine among them), which
// would show every field of a project empty. Call before the QApplication
// is made; elsewhere it does nothing.
void PreferDirectWriteFonts();

}  // namespace tidewell::app
