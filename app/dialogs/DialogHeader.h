#pragma once

#include <QString>

class QWidget;

namespace tidewell::app {

// The title line and the sub-header at the top of a dialog, with a line
// under them.
QWidget* MakeDialogHeader(const QString& title, const QString& subHeader, QWidget* parent);

}  // namespace tidewell::app
