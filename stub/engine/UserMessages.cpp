#include "UserMessages.h"

#include <cstdio>

#include "Text.h"

namespace tidewatch::engine {

namespace {

bool Has(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

std::u16string Advice(std::string_view error, std::u16string_view app, std::u16string_view main,
                      std::u16string_view company) {
  const std::u16string contact =
      company.empty() ? u"the publisher of " + std::u16string(app) : std::u16string(company);
  if (Has(error, "[112]") || Has(error, "[39]"))
    return u"Free some space on the disk that holds " + std::u16string(app) + u", then try again.";
  if (Has(error, "is still running"))
    return u"Close " + std::u16string(main.empty() ? app : main) + u", then try again.";
  if (Has(error, "[32]") || Has(error, "[33]") || Has(error, "[5]"))
    return u"Close every program that may be using the files of " + std::u16string(app) +
           u", then try again. If it keeps failing, ask an administrator to run the update.";
  if (Has(error, "refused") || Has(error, "is not the file that was published"))
    return u"Do not install this update. Let " + contact + u" know about it.";
  if (Has(error, "could not read the update information") || Has(error, "could not fetch") ||
      Has(error, "the download of") || Has(error, "the server answered") || Has(error, "the size of"))
    return u"Check your connection to the Internet and try again later. If it keeps failing, contact " + contact +
           u".";
  return u"Try again later. If it keeps failing, contact " + contact + u".";
}

}  // namespace

std::u16string FailureMessage(std::string_view error, std::u16string_view appTitle,
                              std::u16string_view mainExecutable, std::u16string_view companyName) {
  const std::u16string app = appTitle.empty() ? u"the application" : std::u16string(appTitle);
  std::u16string what = FromUtf8(error);
  if (what.empty()) what = u"the update stopped for a reason the client could not name.";
  return u"The update of " + app + u" could not be completed. " + app + u" is as it was before.\r\n\r\n" +
         u"What failed: " + what + u"\r\n\r\nWhat you can do: " +
         Advice(error, app, mainExecutable, companyName);
}

std::u16string WithWindowsLineBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += u"\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::u16string ByteCount(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  else if (bytes < 1024 * 1024) std::snprintf(text, sizeof text, "%.1f KB", bytes / 1024.0);
  else if (bytes < 1024ull * 1024 * 1024) std::snprintf(text, sizeof text, "%.1f MB", bytes / (1024.0 * 1024));
  else std::snprintf(text, sizeof text, "%.2f GB", bytes / (1024.0 * 1024 * 1024));
  return ToU16(text);
}

}  // namespace tidewatch::engine
