#include "publish/PublishPreference.h"

#include <sstream>

#include "project/Preferences.h"
#include "signing/Hex.h"
#include "signing/Sha256.h"
#include "text/Text.h"

namespace tidewell::publish {

namespace {

constexpr std::u16string_view kGroup = u"Publish Targets";

WString ValueName(const WString& projectFile) {
  return text::FromUtf8(signing::ToHex(signing::Sha256::Of(text::ToUtf8(projectFile))));
}

}  // namespace

// One value, a line each: target, update files' target, SSH key, S3
// endpoint, "prune" or nothing.
PublishRequest ReadPublishPreference(const Preferences& preferences, const WString& projectFile) {
  PublishRequest request;
  if (projectFile.empty()) return request;
  const auto value = preferences.ReadText(kGroup, ValueName(projectFile));
  if (!value) return request;
  std::istringstream lines(text::ToUtf8(*value));
  std::string identity, prune;
  std::getline(lines, request.to);
  std::getline(lines, request.filesTo);
  std::getline(lines, identity);
  std::getline(lines, request.options.endpoint);
  std::getline(lines, prune);
  request.options.identity = identity;
  request.prune = prune == "prune";
  return request;
}

bool WritePublishPreference(Preferences& preferences, const WString& projectFile,
                            const PublishRequest& request) {
  if (projectFile.empty()) return false;
  const std::string value = request.to + '\n' + request.filesTo + '\n' +
                            request.options.identity.string() + '\n' + request.options.endpoint +
                            '\n' + (request.prune ? "prune" : "");
  if (value.find_first_not_of("\n") == std::string::npos)
    return preferences.Remove(kGroup, ValueName(projectFile));
  return preferences.WriteText(kGroup, ValueName(projectFile), text::FromUtf8(value));
}

}  // namespace tidewell::publish
