#pragma once

#include <string_view>

namespace tidewatch {

// testMode NAME: the welcome page as end users see it, with the welcome
// text of the server update file NAME.
int ShowPreviewPage(std::u16string_view updateFile);

// No argument: which application, company and server the client serves.
int ShowStatusPage();

}  // namespace tidewatch
