#include "ClientPages.h"

#include "ClientEnvironment.h"
#include "ClientResourceIds.h"
#include "ClientResources.h"
#include "ClientWindow.h"
#include "WelcomeText.h"

namespace tidewatch {

namespace {

constexpr std::u16string_view kClientName = u"Tidewatch";
constexpr std::u16string_view kNotSet = u"(not set)";

std::u16string WindowTitle(const ClientStrings& strings) {
  const std::u16string app = strings.Get(TIDEWATCH_STR_APP_TITLE);
  const std::u16string company = strings.Get(TIDEWATCH_STR_COMPANY_NAME);
  if (!app.empty() && !company.empty()) return app + u" - " + company;
  if (!app.empty()) return app;
  if (!company.empty()) return company;
  return std::u16string(kClientName);
}

std::u16string OrNotSet(std::u16string value) { return value.empty() ? std::u16string(kNotSet) : value; }

}  // namespace

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

int ShowStatusPage() {
  const ClientStrings strings;
  ClientWindowContent content;
  content.title = WindowTitle(strings);
  content.heading = OrNotSet(strings.Get(TIDEWATCH_STR_APP_TITLE));
  content.body = u"Company: " + OrNotSet(strings.Get(TIDEWATCH_STR_COMPANY_NAME)) + u"\r\n\r\nUpdates from:\r\n" +
                 OrNotSet(strings.Get(TIDEWATCH_STR_HTTP_LOCATION_XML));
  return RunClientWindow(content);
}

}  // namespace tidewatch
