#include <gtest/gtest.h>

#include "content/RegistryReadRules.h"
#include "content/VariableList.h"
#include "content/ValidationCheck.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ExpectValidation;
using testing::ScriptedPrompt;

RegistryReadFields ReadFields(std::u16string_view base, std::u16string_view subKey,
                              std::u16string_view valueName, std::u16string_view type = u"REG_SZ") {
  return RegistryReadFields{WString(base), WString(subKey), WString(type), WString(valueName)};
}

TEST(RegistryReadRules, ValidationChecksSubKeyThenValueName) {
  struct Case {
    RegistryReadFields fields;
    FieldId failedAt;  // empty: passes
  };
  const Case cases[] = {
      {ReadFields(u"HKEY_USERS", u"", u""), kRegistryReadSubKeyField},
      {ReadFields(u"HKEY_USERS", u"", u"Name"), kRegistryReadSubKeyField},
      {ReadFields(u"HKEY_USERS", u"Software", u""), kRegistryReadValueNameField},
      {ReadFields(u"HKEY_USERS", u"Software", u"Name"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failedAt);
    ScriptedPrompt prompt;
    const bool passed = ValidateRegistryRead(c.fields, prompt);
    ExpectValidation(prompt, passed, c.failedAt, u"This value cannot be empty");
  }
}

TEST(RegistryReadRules, DescriptionUsesBackslashesReducedOncePerPair) {
  struct Case {
    RegistryReadFields fields;
    const char16_t* description;
  };
  const Case cases[] = {
      {ReadFields(u"HKEY_LOCAL_MACHINE", u"Software\\MyApp", u"Edition"),
       u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition"},
      {ReadFields(u"HKEY_LOCAL_MACHINE", u"Software/MyApp", u"Edition"),
       u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition"},
      {ReadFields(u"HKEY_USERS", u"/Software//MyApp/", u"Edition"), u"HKEY_USERS\\Software\\MyApp\\Edition"},
      {ReadFields(u"HKEY_USERS", u"a\\\\\\b", u"v"), u"HKEY_USERS\\a\\\\b\\v"},
      {ReadFields(u"HKEY_USERS", u"a", u"x/y"), u"HKEY_USERS\\a\\x\\y"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildVariableDescription(c.fields), c.description);
}

TEST(RegistryReadRules, FillsTheDialogFromAVariable) {
  struct Case {
    const char16_t* description;
    const char16_t* additional;
    RegistryReadFields fields;
  };
  const Case cases[] = {
      {u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition", u"REG_DWORD",
       ReadFields(u"HKEY_LOCAL_MACHINE", u"Software\\MyApp", u"Edition", u"REG_DWORD")},
      {u"hkey_users\\S\\V", u"reg_dword", ReadFields(u"HKEY_USERS", u"S", u"V", u"REG_DWORD")},
      {u"HKEY_NOWHERE\\S\\V", u"REG_BINARY", ReadFields(u"HKEY_CURRENT_USER", u"S", u"V", u"REG_SZ")},
      {u"HKEY_CLASSES_ROOT\\OnlyOne", u"REG_DWORD", ReadFields(u"HKEY_CLASSES_ROOT", u"", u"", u"REG_SZ")},
      {u"NoBackslashAtAll", u"REG_DWORD", RegistryReadFields{}},
      {u"Inbuilt NT Login Account Name", u"", RegistryReadFields{}},
      {u"HKEY_USERS\\\\V", u"REG_SZ", ReadFields(u"HKEY_USERS", u"", u"V")},
      {u"HKEY_USERS\\S\\", u"REG_SZ", ReadFields(u"HKEY_USERS", u"S", u"")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.description));
    const RegistryReadFields fields =
        RegistryReadFieldsFromVariable(Variable{u"v", c.description, c.additional});
    EXPECT_EQ(fields.baseKey, c.fields.baseKey);
    EXPECT_EQ(fields.subKey, c.fields.subKey);
    EXPECT_EQ(fields.valueName, c.fields.valueName);
    EXPECT_EQ(fields.valueType, c.fields.valueType);
  }
}

TEST(RegistryReadRules, ValueNameWithABackslashComesBackSplitAtTheLastOne) {
  const RegistryReadFields typed = ReadFields(u"HKEY_CURRENT_USER", u"Software", u"Group\\Item");
  const WString description = BuildVariableDescription(typed);
  EXPECT_EQ(description, u"HKEY_CURRENT_USER\\Software\\Group\\Item");
  const RegistryReadFields filled =
      RegistryReadFieldsFromVariable(Variable{u"v", description, u"REG_SZ"});
  EXPECT_EQ(filled.subKey, u"Software\\Group");
  EXPECT_EQ(filled.valueName, u"Item");
  // The description built again from the filled dialog is the same.
  EXPECT_EQ(BuildVariableDescription(filled), description);
}

}  // namespace
}  // namespace tidewell
