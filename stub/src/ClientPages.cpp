#include "ClientPages.h"

#include "ClientEnvironment.h"
#include "ClientResourceIds.h"
#include "ClientResources.h"
#include "ClientWindow.h"
#include "WelcomeText.h"

namespace tidewatch {

namespace {

constexpr std::u16string_view kClientName = u"Tidewatch";

std::u16string WindowTitle(const ClientStrings& strings) {
  return ClientWindowTitle(strings.Get(TIDEWATCH_STR_APP_TITLE), strings.Get(TIDEWATCH_STR_COMPANY_NAME));
}

}  // namespace

std::u16string ClientWindowTitle(std::u16string_view app, std::u16string_view company) {
  if (!app.empty() && !company.empty()) return std::u16string(app) + u" - " + std::u16string(company);
  if (!app.empty()) return std::u16string(app);
  if (!company.empty()) return std::u16string(company);
  return std::u16string(kClientName);
}

int ShowPreviewPage(std::u16string_view updateFile) {
  const ClientStrings strings;
  const PreviewText text = PrepareWelcome(ReadUpdateFile(updateFile), updateFile, LoginName(), PlatformDescription());
  ClientWindowContent content;
  content.title = WindowTitle(strings);
  content.heading = strings.Get(TIDEWATCH_STR_APP_TITLE);
  if (content.heading.empty()) content.heading = kClientName;
  content.body = text.text;
  content.preview = true;
  return RunClientWindow(content);
}

}  // namespace tidewatch
