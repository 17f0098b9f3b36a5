#pragma once

#include <string>
#include <string_view>

namespace tidewatch {

// The title of the client's windows: "AppTitle - CompanyName", either
// alone, or the client's name.
std::u16string ClientWindowTitle(std::u16string_view appTitle, std::u16string_view companyName);

// testMode NAME: the welcome page as end users see it, with the welcome
// text of the server update file NAME.
int ShowPreviewPage(std::u16string_view updateFile);

}  // namespace tidewatch
