#pragma once

#include <optional>
#include <string>

#include "build/CommandOutcome.h"
#include "platform/Prompt.h"
#include "signing/ProjectKey.h"
#include "text/WString.h"

namespace tidewell {

inline const WString kSigningKeyCaption = u"Signing key";
inline const WString kNoProjectForKeyMessage =
    u"No project exists. A signing key belongs to a project: create or open one first.";
inline const WString kReplaceKeyQuestion =
    u"This project already has a signing key. Replace it? The current key signs the change, "
    u"so clients built with it move to the new key with the next signed update; it is kept "
    u"beside the new one.";
inline const WString kNoKeyYetText =
    u"No signing key yet: one is made when the project is first built.";

// What the Build page shows of a project's key.
struct SigningKeyStatus {
  bool present = false;
  WString fingerprint;
  WString place;  // where the key is, or would be made
  WString problem;  // why it cannot be read
};

// The commands of the Build page's key control: show the project's key,
// make a new one, or take a key file as the project's key. Questions and
// messages go through the prompt.
class SigningKeyCommands {
 public:
  explicit SigningKeyCommands(Prompt& prompt) : prompt_(prompt) {}

  SigningKeyStatus Status(const WString& projectName) const;
  CommandOutcome MakeKey(const WString& projectName);
  CommandOutcome ChooseKey(const WString& projectName, const WString& keyFile);

 private:
  // Checks the project and asks before a key is replaced.
  bool MayInstall(const WString& projectName);
  CommandOutcome Report(const std::optional<KeyInUse>& key, const std::string& error);

  Prompt& prompt_;
};

}  // namespace tidewell
