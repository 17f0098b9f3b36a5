#pragma once

#include "text/WString.h"

namespace tidewell::app {

// Where new projects go unless the user chooses another place: "Tidewell
// Projects" in the user's documents folder, made when it is missing. The
// tool's own folder is not writable on an installed system. Falls back to
// the documents folder, then to `fallback`, when the folder cannot be made.
WString ProjectsFolder(const WString& fallback);

}  // namespace tidewell::app
