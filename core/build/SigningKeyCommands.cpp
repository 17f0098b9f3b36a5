#include "build/SigningKeyCommands.h"

#include "signing/KeyPlace.h"
#include "text/Text.h"

namespace tidewell {

SigningKeyStatus SigningKeyCommands::Status(const WString& projectName) const {
  SigningKeyStatus status;
  if (projectName.empty()) return status;
  status.place = text::FromPath(ProjectKeyPath(projectName));
  std::string error;
  const auto key = ProjectKey(projectName, error);
  if (key) {
    status.present = true;
    status.fingerprint = text::FromUtf8(signing::Fingerprint(key->key.pair.publicKey));
  } else if (!error.empty()) {
    status.problem = text::FromUtf8(error);
  }
  return status;
}

bool SigningKeyCommands::MayInstall(const WString& projectName) {
  if (projectName.empty()) {
    prompt_.ShowMessage(kSigningKeyCaption, kNoProjectForKeyMessage, MessageIcon::Information);
    return false;
  }
  if (!Status(projectName).present) return true;
  return prompt_.Ask(kSigningKeyCaption, kReplaceKeyQuestion, Buttons::YesNo,
                     MessageIcon::Question) == Answer::Yes;
}

CommandOutcome SigningKeyCommands::Report(const std::optional<KeyInUse>& key,
                                          const std::string& error) {
  if (!key) {
    prompt_.ShowMessage(kErrorCaption, text::FromUtf8(error), MessageIcon::Error);
    return CommandOutcome::Failed;
  }
  prompt_.ShowMessage(kSigningKeyMadeCaption, SigningKeyMadeMessage(*key),
                      MessageIcon::Information);
  return CommandOutcome::Done;
}

CommandOutcome SigningKeyCommands::MakeKey(const WString& projectName) {
  if (!MayInstall(projectName)) return CommandOutcome::Refused;
  std::string error;
  const auto key = MakeProjectKey(projectName, error);
  return Report(key, error);
}

CommandOutcome SigningKeyCommands::ChooseKey(const WString& projectName, const WString& keyFile) {
  if (!MayInstall(projectName)) return CommandOutcome::Refused;
  std::string error;
  std::optional<KeyInUse> key;
  if (const auto chosen = LoadSigningKey(text::ToPath(keyFile), error))
    key = InstallProjectKey(projectName, chosen->pair, error);
  return Report(key, error);
}

}  // namespace tidewell
