#include <gtest/gtest.h>

#include "content/ContentEditing.h"
#include "content/RegistryTree.h"
#include "content/ShellExecList.h"
#include "content/VariableList.h"
#include "files/TreePath.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PromptEvent;
using testing::ScriptedPrompt;
using testing::TempDir;

RegistryReadFields ReadFields(const char16_t* subKey, const char16_t* valueName) {
  RegistryReadFields fields;
  fields.baseKey = u"HKEY_LOCAL_MACHINE";
  fields.subKey = subKey;
  fields.valueName = valueName;
  return fields;
}

std::vector<WString> Names(const VariableList& list) { return list.VariableNames(); }

// Saves the document into `dir` and reads it back into a new one.
std::unique_ptr<ProjectDocument> SavedAndRead(ProjectDocument& document, const TempDir& dir) {
  document.projectFolder = text::FromPath(dir.Path());
  document.projectFileName = u"Settings.xml";
  document.settings.SetSetting(SettingKey::ProjName, u"Vars");
  EXPECT_TRUE(SaveDocument(document, XmlForm::ProjectForm));
  return LoadDocumentFresh(document.ProjectFilePath());
}

TEST(ContentEditing, CreateNewNamesVariablesAfterTheRowCount) {
  ProjectDocument document;
  ScriptedPrompt prompt;
  EXPECT_EQ(AddUserVariable(document.variables, ReadFields(u"Software\\A", u"Edition"), prompt), 2u);
  EXPECT_EQ(AddUserVariable(document.variables, ReadFields(u"Software/A", u"User"), prompt), 3u);
  EXPECT_EQ(Names(document.variables),
            (std::vector<WString>{u"Login", u"Platform", u"Variable2", u"Variable3"}));
  EXPECT_EQ(document.variables.Rows()[3].description, u"HKEY_LOCAL_MACHINE\\Software\\A\\User");
  EXPECT_TRUE(prompt.Events().empty());

  TempDir dir;
  auto read = SavedAndRead(document, dir);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->variables.Rows().size(), 4u);
  EXPECT_EQ(AddUserVariable(read->variables, ReadFields(u"S", u"V"), prompt), 4u);
  EXPECT_EQ(read->variables.Rows()[4].name, u"Variable4");
}

TEST(ContentEditing, AnAutomaticNameMayRepeatAnExistingOne) {
  ScriptedPrompt prompt;
  TempDir dir;
  ProjectDocument only;
  only.variables.AddVariable(u"Variable3", u"HKEY_CURRENT_USER\\S\\V", u"REG_SZ");
  auto read = SavedAndRead(only, dir);
  ASSERT_NE(read, nullptr);
  const size_t row = *AddUserVariable(read->variables, ReadFields(u"S", u"W"), prompt);
  EXPECT_EQ(read->variables.Rows()[row].name, u"Variable3");
  EXPECT_EQ(Names(read->variables),
            (std::vector<WString>{u"Login", u"Platform", u"Variable3", u"Variable3"}));
}

TEST(ContentEditing, ARenamedVariableMayBeEmptyAndReadsBackWithAnAutomaticName) {
  ProjectDocument document;
  ScriptedPrompt prompt;
  AddUserVariable(document.variables, ReadFields(u"S", u"V"), prompt);
  const auto row = FindVariable(document.variables, u"Variable2");
  ASSERT_TRUE(row);
  EXPECT_EQ(document.variables.RenameVariable(*row, u""), 0u);  // sorted first
  WString xml;
  ASSERT_TRUE(document.variables.WriteXml(xml, XmlForm::ProjectForm));
  EXPECT_EQ(xml, u"\t\t<Variable Name=\"\" Description=\"HKEY_LOCAL_MACHINE\\S\\V\" "
                 u"Additional=\"REG_SZ\" />\r\n");
  TempDir dir;
  auto read = SavedAndRead(document, dir);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(Names(read->variables), (std::vector<WString>{u"Login", u"Platform", u"Variable2"}));
}

TEST(ContentEditing, BuiltInVariablesAreProtectedFromEditingButNotFromRenaming) {
  VariableList list;
  ScriptedPrompt prompt;
  EXPECT_EQ(EditVariableValue(list, *FindVariable(list, u"Login"), ReadFields(u"S", u"V"), prompt),
            EditResult::Refused);
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].text, u"You cannot change the property of in-built variables");
  EXPECT_EQ(balloons[0].caption, u"Invalid parameters");
  EXPECT_EQ(list.Rows()[0].description, u"Inbuilt NT Login Account Name");
  EXPECT_EQ(FindVariable(list, u"login"), std::nullopt);

  // Renamed, the row is no longer built in and may be edited.
  list.RenameVariable(*FindVariable(list, u"Login"), u"Account");
  prompt.Clear();
  EXPECT_EQ(EditVariableValue(list, *FindVariable(list, u"Account"), ReadFields(u"S", u"V"), prompt),
            EditResult::Done);
  EXPECT_EQ(list.Rows()[*FindVariable(list, u"Account")].description, u"HKEY_LOCAL_MACHINE\\S\\V");
}

TEST(ContentEditing, EditingAUserVariableKeepsItsNameAndChecksTheFields) {
  VariableList list;
  ScriptedPrompt prompt;
  const size_t row = *AddUserVariable(list, ReadFields(u"S", u"V"), prompt);
  EXPECT_EQ(EditVariableValue(list, row, ReadFields(u"S", u""), prompt), EditResult::Refused);
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].field, kRegistryReadValueNameField);
  EXPECT_EQ(balloons[0].text, u"This value cannot be empty");
  RegistryReadFields dword = ReadFields(u"Other", u"Count");
  dword.valueType = u"REG_DWORD";
  EXPECT_EQ(EditVariableValue(list, row, dword, prompt), EditResult::Done);
  EXPECT_EQ(list.Rows()[row].name, u"Variable2");
  EXPECT_EQ(list.Rows()[row].additional, u"REG_DWORD");
  EXPECT_EQ(AddUserVariable(list, ReadFields(u"", u"V"), prompt), std::nullopt);
}

TEST(ContentEditing, RegistryAndExecutionEntriesGoThroughTheirRules) {
  RegistryTree registry;
  ShellExecList executions;
  ScriptedPrompt prompt;
  RegistryItemFields item;
  item.subKey = u"Software\\MyApp";
  item.valueName = u"Version";
  item.valueData = u"2.1";
  EXPECT_EQ(AddRegistryItem(registry, item, prompt), EditResult::Done);
  item.valueName = u"VERSION";
  EXPECT_EQ(AddRegistryItem(registry, item, prompt), EditResult::Unchanged);
  item.valueData.clear();
  EXPECT_EQ(AddRegistryItem(registry, item, prompt), EditResult::Refused);
  ASSERT_NE(FindNodeByPath(registry, u"HKEY_CURRENT_USER\\Software\\MyApp\\Version"), nullptr);

  ShellExecFields exec;
  exec.fileName = u"setup.exe";
  EXPECT_EQ(AddExecution(executions, exec, prompt), EditResult::Done);
  EXPECT_EQ(AddExecution(executions, exec, prompt), EditResult::Unchanged);
  exec.fileName.clear();
  EXPECT_EQ(AddExecution(executions, exec, prompt), EditResult::Refused);
  EXPECT_NE(FindNodeByPath(executions, u"Installation complete\\<ApplicationDir>\\setup.exe"), nullptr);
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[0].text, u"This value cannot be empty");
  EXPECT_EQ(balloons[1].text, u"The file-name cannot be empty");
}

}  // namespace
}  // namespace tidewell
