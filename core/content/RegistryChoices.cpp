#include "content/RegistryChoices.h"

namespace tidewell {

RegistryFieldStates RegistryFieldsEnabled(RegistryAction action) {
  switch (action) {
    case RegistryAction::AddValue:
      return {true, true, true};
    case RegistryAction::DeleteValue:
      return {false, true, false};
    case RegistryAction::CreateKey:
    case RegistryAction::RemoveKey:
      break;
  }
  return {};
}

std::optional<RegistryAction> RegistryActionFromIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kRegistryActions.size())) return std::nullopt;
  return static_cast<RegistryAction>(index);
}

std::u16string_view RegistryActionText(RegistryAction action) {
  return kRegistryActions[static_cast<size_t>(action)];
}

WString RegistryVerb(RegistryAction action) {
  const std::u16string_view text = RegistryActionText(action);
  return WString(text.substr(0, text.find(u' ')));
}

}  // namespace tidewell
