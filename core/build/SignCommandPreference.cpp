#include "build/SignCommandPreference.h"

#include "project/Preferences.h"
#include "signing/Hex.h"
#include "signing/Sha256.h"
#include "text/Text.h"

namespace tidewell {

namespace {

WString ValueName(const WString& projectFile) {
  const auto digest = signing::Sha256::Of(text::ToUtf8(projectFile));
  return text::FromUtf8(signing::ToHex(digest));
}

}  // namespace

std::string ReadSignCommand(const Preferences& preferences, const WString& projectFile) {
  if (projectFile.empty()) return {};
  const auto command = preferences.ReadText(kSignCommandGroup, ValueName(projectFile));
  return command ? text::ToUtf8(*command) : std::string();
}

bool WriteSignCommand(Preferences& preferences, const WString& projectFile,
                      const std::string& command) {
  if (projectFile.empty()) return false;
  if (command.find_first_not_of(" \t\r\n") == std::string::npos)
    return preferences.Remove(kSignCommandGroup, ValueName(projectFile));
  return preferences.WriteText(kSignCommandGroup, ValueName(projectFile), text::FromUtf8(command));
}

}  // namespace tidewell
