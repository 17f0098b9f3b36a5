#include "signing/ProjectKey.h"

#include <system_error>

#include "signing/KeyPlace.h"
#include "text/Text.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

std::optional<KeyInUse> Fail(std::string& error, std::string text) {
  error = std::move(text);
  return std::nullopt;
}

fs::path KeyPathOrFail(const WString& projectName, std::string& error) {
  if (projectName.empty()) {
    error = "a project needs a name to have a signing key";
    return {};
  }
  fs::path place = ProjectKeyPath(projectName);
  if (place.empty()) error = "no configuration folder was found for the signing key (set HOME)";
  return place;
}

bool Exists(const fs::path& place) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(place, ec));
}

}  // namespace

WString SigningKeyMadeMessage(const KeyInUse& key) {
  return u"This project's updates are signed, and a signing key was made for it:\r\n" +
         text::FromPath(key.place) + u"\r\n\r\nFingerprint: " +
         text::FromUtf8(signing::Fingerprint(key.key.pair.publicKey)) +
         u"\r\n\r\nBack up this file and keep it private. The clients you build accept only "
         u"updates signed with this key: without it, no later update can reach them.";
}

std::optional<KeyInUse> ProjectKey(const WString& projectName, std::string& error) {
  const fs::path place = KeyPathOrFail(projectName, error);
  if (place.empty() || !Exists(place)) return std::nullopt;
  auto key = LoadSigningKey(place, error);
  if (!key) return std::nullopt;
  return KeyInUse{std::move(*key), place, false};
}

std::optional<KeyInUse> KeyForBuild(const WString& projectName, const WString& explicitFile,
                                    bool create, std::string& error) {
  error.clear();
  if (const auto pipeline = PipelineKeyPath(explicitFile)) {
    auto key = LoadSigningKey(*pipeline, error);
    if (!key) return std::nullopt;
    return KeyInUse{std::move(*key), *pipeline, false};
  }
  if (auto key = ProjectKey(projectName, error); key || !error.empty()) return key;
  if (!create) return std::nullopt;
  return MakeProjectKey(projectName, error);
}

std::optional<KeyInUse> InstallProjectKey(const WString& projectName,
                                          const signing::KeyPair& next, std::string& error) {
  error.clear();
  const fs::path place = KeyPathOrFail(projectName, error);
  if (place.empty()) return std::nullopt;
  SigningKey key{next, {}};
  if (Exists(place)) {
    auto previous = LoadSigningKey(place, error);
    // A damaged key is not replaced: it may still be the only copy.
    if (!previous) return std::nullopt;
    if (previous->pair.publicKey == next.publicKey) return KeyInUse{*previous, place, false};
    key = SucceedKey(*previous, next);
    const std::string group = signing::Fingerprint(previous->pair.publicKey).substr(0, 4);
    fs::path retired = place;
    retired.replace_filename(place.stem().string() + "-" + group + ".retired.key");
    if (!SaveSigningKey(retired, *previous, error)) return std::nullopt;
  }
  if (!SaveSigningKey(place, key, error)) return std::nullopt;
  return KeyInUse{std::move(key), place, true};
}

std::optional<KeyInUse> MakeProjectKey(const WString& projectName, std::string& error) {
  const auto pair = signing::GenerateKeyPair();
  if (!pair) return Fail(error, "no random source was available to make a signing key");
  return InstallProjectKey(projectName, *pair, error);
}

}  // namespace tidewell
