#pragma once

#include <optional>

#include "text/WString.h"

namespace tidewell {

// The folder of the running tool's own executable, where the client stub,
// the product's updater and the Graphics folders are kept. Empty when the
// platform does not say.
WString RunningToolFolder();

// Files and folders expected beside the tool.
WString StubPath(const WString& toolFolder);          // Tidewatch.exe
WString ProductUpdaterPath(const WString& toolFolder);  // Tidewellpro.exe
WString MainPictureFolder(const WString& toolFolder);   // Graphics/Main Picture
WString TopPictureFolder(const WString& toolFolder);    // Graphics/Top Picture

}  // namespace tidewell
