#include "content/RegistryReadRules.h"

#include <span>

#include "content/VariableList.h"
#include "text/Text.h"

namespace tidewell {

namespace {

// The list entry equal to `text` without regard to case, spelt as listed.
void SelectMatching(std::span<const std::u16string_view> choices, std::u16string_view text,
                    WString& selected) {
  for (const std::u16string_view choice : choices) {
    if (text::EqualsNoCase(choice, text)) {
      selected = WString(choice);
      return;
    }
  }
}

}  // namespace

bool ValidateRegistryRead(const RegistryReadFields& fields, Prompt& prompt) {
  const FieldId* failed = nullptr;
  if (fields.subKey.empty())
    failed = &kRegistryReadSubKeyField;
  else if (fields.valueName.empty())
    failed = &kRegistryReadValueNameField;
  if (failed == nullptr) return true;
  prompt.ShowBalloon(*failed, kInvalidParametersCaption, kValueCannotBeEmpty, MessageIcon::Error);
  return false;
}

WString BuildVariableDescription(const RegistryReadFields& fields) {
  WString description = fields.baseKey;
  description += u'\\';
  description += fields.subKey;
  description += u'\\';
  description += fields.valueName;
  return text::ReduceDoubleBackslashes(text::ReplaceAll(description, u"/", u"\\"));
}

RegistryReadFields RegistryReadFieldsFromVariable(const Variable& variable) {
  RegistryReadFields fields;
  const std::u16string_view description = variable.description;
  const size_t first = description.find(u'\\');
  if (first == std::u16string_view::npos) return fields;
  SelectMatching(kRegistryBaseKeys, description.substr(0, first), fields.baseKey);

  const std::u16string_view rest = description.substr(first + 1);
  const size_t last = rest.rfind(u'\\');
  if (last == std::u16string_view::npos) return fields;
  fields.subKey = WString(rest.substr(0, last));
  fields.valueName = WString(rest.substr(last + 1));
  SelectMatching(kRegistryReadValueTypes, variable.additional, fields.valueType);
  return fields;
}

}  // namespace tidewell
