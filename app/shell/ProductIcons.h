#pragma once

#include <QIcon>

namespace tidewell::app {

// An icon of the product by name ("build", "tidewell"), with an image for
// each size the windows draw it at.
QIcon ProductIcon(const char* name);

}  // namespace tidewell::app
