#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "text/WString.h"

namespace tidewell {

// The choices of the two registry dialogs (defining an operation and reading a
// value into a variable), in the order the dialogs offer them.

inline constexpr std::array<std::u16string_view, 5> kRegistryBaseKeys = {
    u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_CONFIG", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE",
    u"HKEY_USERS"};
inline constexpr std::u16string_view kDefaultRegistryBaseKey = u"HKEY_CURRENT_USER";

// The actions of an operation, numbered by their place in the list. The
// number lives only inside the dialog; the record stores the verb.
enum class RegistryAction : int { AddValue = 0, DeleteValue = 1, CreateKey = 2, RemoveKey = 3 };
inline constexpr std::array<std::u16string_view, 4> kRegistryActions = {
    u"Add Value", u"Delete Value", u"Create Key", u"Remove Key"};
inline constexpr RegistryAction kDefaultRegistryAction = RegistryAction::AddValue;

inline constexpr std::array<std::u16string_view, 5> kRegistryValueTypes = {
    u"REG_BINARY", u"REG_DWORD", u"REG_EXPAND_SZ", u"REG_MULTI_SZ", u"REG_SZ"};
inline constexpr std::u16string_view kDefaultRegistryValueType = u"REG_SZ";

// The value types a variable can read.
inline constexpr std::array<std::u16string_view, 2> kRegistryReadValueTypes = {u"REG_DWORD",
                                                                               u"REG_SZ"};

// The validation message of every required registry field.
inline const WString kValueCannotBeEmpty = u"This value cannot be empty";

// Which of the operation dialog's value fields an action uses. Base key and
// sub-key apply to every action.
struct RegistryFieldStates {
  bool valueType = false;
  bool valueName = false;
  bool valueData = false;
};
RegistryFieldStates RegistryFieldsEnabled(RegistryAction action);

// The action at a list position; none for a position outside the list.
std::optional<RegistryAction> RegistryActionFromIndex(int index);
std::u16string_view RegistryActionText(RegistryAction action);
// The stored verb: the action text up to its first blank ("Add", "Delete",
// "Create", "Remove").
WString RegistryVerb(RegistryAction action);

}  // namespace tidewell
