#include <gtest/gtest.h>

#include "content/RegistryItemRules.h"
#include "content/RegistryTree.h"
#include "content/ValidationCheck.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ExpectValidation;
using testing::ScriptedPrompt;

RegistryItemFields Fields(std::u16string_view subKey, RegistryAction action,
                          std::u16string_view name, std::u16string_view data,
                          std::u16string_view type = u"REG_SZ") {
  RegistryItemFields fields;
  fields.subKey = WString(subKey);
  fields.actionIndex = static_cast<int>(action);
  fields.valueName = WString(name);
  fields.valueData = WString(data);
  fields.valueType = WString(type);
  return fields;
}

const RegistryOperation& OperationOf(const TreeNode& node) {
  return dynamic_cast<const RegistryOperation&>(*node.record);
}

TEST(RegistryItemRules, ActionsEnableOnlyTheFieldsTheyUse) {
  struct Case {
    RegistryAction action;
    bool type, name, data;
  };
  const Case cases[] = {
      {RegistryAction::AddValue, true, true, true},
      {RegistryAction::DeleteValue, false, true, false},
      {RegistryAction::CreateKey, false, false, false},
      {RegistryAction::RemoveKey, false, false, false},
  };
  for (const Case& c : cases) {
    const RegistryFieldStates states = RegistryFieldsEnabled(c.action);
    EXPECT_EQ(states.valueType, c.type) << static_cast<int>(c.action);
    EXPECT_EQ(states.valueName, c.name) << static_cast<int>(c.action);
    EXPECT_EQ(states.valueData, c.data) << static_cast<int>(c.action);
  }
}

TEST(RegistryItemRules, VerbIsTheActionTextUpToItsFirstBlank) {
  EXPECT_EQ(RegistryVerb(RegistryAction::AddValue), u"Add");
  EXPECT_EQ(RegistryVerb(RegistryAction::DeleteValue), u"Delete");
  EXPECT_EQ(RegistryVerb(RegistryAction::CreateKey), u"Create");
  EXPECT_EQ(RegistryVerb(RegistryAction::RemoveKey), u"Remove");
  EXPECT_FALSE(RegistryActionFromIndex(-1).has_value());
  EXPECT_FALSE(RegistryActionFromIndex(4).has_value());
  EXPECT_EQ(RegistryActionFromIndex(2), RegistryAction::CreateKey);
}

// The checks of OK run in a fixed order and stop at the first failure, which
// is shown at its own field with the one message.
TEST(RegistryItemRules, ValidationStopsAtTheFirstEmptyRequiredField) {
  struct Case {
    RegistryItemFields fields;
    FieldId failedAt;  // empty: passes
  };
  const Case cases[] = {
      {Fields(u"", RegistryAction::AddValue, u"", u""), kRegistrySubKeyField},
      {Fields(u"", RegistryAction::CreateKey, u"", u""), kRegistrySubKeyField},
      {Fields(u"Software", RegistryAction::AddValue, u"", u""), kRegistryValueNameField},
      {Fields(u"Software", RegistryAction::DeleteValue, u"", u"x"), kRegistryValueNameField},
      {Fields(u"Software", RegistryAction::AddValue, u"Name", u""), kRegistryValueDataField},
      {Fields(u"Software", RegistryAction::AddValue, u"Name", u"1"), {}},
      {Fields(u"Software", RegistryAction::DeleteValue, u"Name", u""), {}},
      {Fields(u"Software", RegistryAction::CreateKey, u"", u""), {}},
      {Fields(u"Software", RegistryAction::RemoveKey, u"", u""), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failedAt + " action " + std::to_string(c.fields.actionIndex));
    ScriptedPrompt prompt;
    const bool passed = ValidateRegistryItem(c.fields, prompt);
    ExpectValidation(prompt, passed, c.failedAt, u"This value cannot be empty");
  }
}

TEST(RegistryItemRules, RecordTakesOnlyTheFieldsItsActionUses) {
  struct Case {
    RegistryAction action;
    std::u16string name, verb, type, data;
  };
  // Every field is filled, as after switching actions in the dialog.
  const Case cases[] = {
      {RegistryAction::AddValue, u"Level", u"Add", u"REG_DWORD", u"7"},
      {RegistryAction::DeleteValue, u"Level", u"Delete", u"", u"7"},
      {RegistryAction::CreateKey, u"<Create key>", u"Create", u"", u""},
      {RegistryAction::RemoveKey, u"<Remove key>", u"Remove", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    const auto operation =
        MakeRegistryOperation(Fields(u"Software", c.action, u"Level", u"7", u"REG_DWORD"));
    ASSERT_TRUE(operation.has_value());
    EXPECT_EQ(operation->Name, c.name);
    EXPECT_EQ(operation->OS, 31);
    EXPECT_EQ(operation->verb, c.verb);
    EXPECT_EQ(operation->valueType, c.type);
    EXPECT_EQ(operation->valueData, c.data);
  }
  RegistryItemFields unknown = Fields(u"Software", RegistryAction::AddValue, u"a", u"b");
  unknown.actionIndex = 9;
  EXPECT_FALSE(MakeRegistryOperation(unknown).has_value());
  RegistryTree tree;
  EXPECT_EQ(AddRegistryOperation(tree, unknown), nullptr);
  EXPECT_TRUE(tree.Empty());
}

TEST(RegistryItemRules, SameLabelUnderOneKeyIsAddedOnceWithoutRegardToCase) {
  RegistryTree tree;
  TreeNode* first =
      AddRegistryOperation(tree, Fields(u"Software\\MyApp", RegistryAction::AddValue, u"Edition", u"Pro"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(AddRegistryOperation(
                tree, Fields(u"software\\MYAPP", RegistryAction::DeleteValue, u"EDITION", u"")),
            nullptr);
  ASSERT_NE(AddRegistryOperation(tree, Fields(u"Software\\MyApp", RegistryAction::CreateKey, u"", u"")),
            nullptr);
  EXPECT_EQ(AddRegistryOperation(tree, Fields(u"Software\\MyApp", RegistryAction::CreateKey, u"", u"")),
            nullptr);
  // A Remove Key beside it is a different label.
  EXPECT_NE(AddRegistryOperation(tree, Fields(u"Software\\MyApp", RegistryAction::RemoveKey, u"", u"")),
            nullptr);

  EXPECT_EQ(tree.NodeCount(), 6u);  // base key, Software, MyApp, three operations
  EXPECT_EQ(OperationOf(*first).verb, u"Add");
  EXPECT_EQ(OperationOf(*first).valueData, u"Pro");
  // Labels stand in case-insensitive order: "<Create key>", "<Remove key>", "Edition".
  const TreeNode* key = first->parent;
  ASSERT_EQ(key->children.size(), 3u);
  EXPECT_EQ(key->children[0]->name, u"<Create key>");
  EXPECT_EQ(key->children[1]->name, u"<Remove key>");
  EXPECT_EQ(key->children[2]->name, u"Edition");
  EXPECT_EQ(key->name, u"MyApp");
  EXPECT_EQ(key->parent->parent->name, u"HKEY_CURRENT_USER");
}

TEST(RegistryItemRules, DoubledAndTrailingBackslashesGiveTheSameKeys) {
  RegistryTree tree;
  TreeNode* plain = AddRegistryOperation(tree, Fields(u"Software\\MyApp", RegistryAction::AddValue, u"a", u"1"));
  TreeNode* doubled =
      AddRegistryOperation(tree, Fields(u"Software\\\\MyApp", RegistryAction::AddValue, u"b", u"1"));
  TreeNode* trailing =
      AddRegistryOperation(tree, Fields(u"Software\\MyApp\\", RegistryAction::AddValue, u"c", u"1"));
  TreeNode* leading =
      AddRegistryOperation(tree, Fields(u"\\Software\\\\\\MyApp\\\\", RegistryAction::AddValue, u"d", u"1"));
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(doubled, nullptr);
  ASSERT_NE(trailing, nullptr);
  ASSERT_NE(leading, nullptr);
  EXPECT_EQ(doubled->parent, plain->parent);
  EXPECT_EQ(trailing->parent, plain->parent);
  EXPECT_EQ(leading->parent, plain->parent);
  EXPECT_EQ(tree.NodeCount(), 7u);
}

TEST(RegistryItemRules, KeyPathThroughAnExistingValueIsRefused) {
  // A value and a sub-key of the same name cannot stand side by side in the
  // tree; the new operation would land inside the value. It is not added.
  RegistryTree tree;
  ASSERT_NE(AddRegistryOperation(tree, Fields(u"Software", RegistryAction::AddValue, u"Settings", u"1")),
            nullptr);
  const size_t before = tree.NodeCount();
  EXPECT_EQ(AddRegistryOperation(tree, Fields(u"Software\\settings\\Deeper", RegistryAction::CreateKey, u"", u"")),
            nullptr);
  EXPECT_EQ(AddRegistryOperation(tree, Fields(u"Software\\Settings", RegistryAction::AddValue, u"x", u"1")),
            nullptr);
  EXPECT_EQ(tree.NodeCount(), before);
}

TEST(RegistryItemRules, VeryLongKeyPathIsKeptWhole) {
  WString subKey;
  for (int i = 0; i < 200; ++i) subKey += u"Component" + text::FormatDecimal(i) + u"\\";
  RegistryTree tree;
  TreeNode* node = AddRegistryOperation(tree, Fields(subKey, RegistryAction::CreateKey, u"", u""));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->parent->name, u"Component199");
  EXPECT_EQ(tree.NodeCount(), 202u);
}

}  // namespace
}  // namespace tidewell
