#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "signing/SigningKey.h"
#include "text/WString.h"

namespace tidewell {

// A signing key and the file it came from.
struct KeyInUse {
  SigningKey key;
  std::filesystem::path place;
  bool created = false;  // made by this call
};

inline const WString kSigningKeyMadeCaption = u"Signing key made";
// Shown when a build made a project's first key.
WString SigningKeyMadeMessage(const KeyInUse& key);

// The key a build signs with: the pipeline's key file when one is named
// (--key or the environment variable; it must exist), otherwise the
// project's own, made when it is missing and `create` is set. nullopt with
// an empty `error` when there is no key and none was to be made.
std::optional<KeyInUse> KeyForBuild(const WString& projectName, const WString& explicitFile,
                                    bool create, std::string& error);

// The project's own key, when there is one.
std::optional<KeyInUse> ProjectKey(const WString& projectName, std::string& error);

// Puts `next` in place as the project's key. A different key already there
// signs the change to the new one (so clients built with it follow) and is
// kept beside it as "<name>-<fingerprint's first group>.retired.key".
std::optional<KeyInUse> InstallProjectKey(const WString& projectName,
                                          const signing::KeyPair& next, std::string& error);
// A new random key for the project, installed as above.
std::optional<KeyInUse> MakeProjectKey(const WString& projectName, std::string& error);

}  // namespace tidewell
