#pragma once

#include <QString>

class QWidget;

namespace tidewell::app {

// A page's or dialog's header: its title in bold, the line under it, and a
// rule below both.
QWidget* MakeHeading(const QString& title, const QString& subTitle, QWidget* parent);

}  // namespace tidewell::app
