#include <gtest/gtest.h>

#include <random>
#include <string>

#include "content/ListXml.h"
#include "content/RegistryReadRules.h"
#include "content/VariableList.h"
#include "content/VariablesDialogRules.h"
#include "content/ValidationCheck.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ExpectValidation;
using testing::ParseList;
using testing::ScriptedPrompt;
using testing::WriteList;

// As the project loader does: reset, then read the VariablesList element.
bool Load(VariableList& list, const WString& listText) {
  pugi::xml_document dom;
  const pugi::xml_node element = ParseList(dom, "VariablesList", listText);
  list.ResetVariables();
  return element && list.ReadXml(element);
}

RegistryReadFields ReadFields(std::u16string_view base, std::u16string_view subKey,
                              std::u16string_view valueName, std::u16string_view type = u"REG_SZ") {
  return RegistryReadFields{WString(base), WString(subKey), WString(type), WString(valueName)};
}

const WString kWorkedExample =
    u"\t\t<Variable Name=\"Variable2\" Description=\"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition\" "
    u"Additional=\"REG_SZ\" />\r\n"
    u"\t\t<Variable Name=\"Variable3\" Description=\"HKEY_CURRENT_USER\\Software\\MyApp\\User Name\" "
    u"Additional=\"REG_SZ\" />\r\n";

TEST(VariableList, StartsWithTheTwoBuiltInRows) {
  VariableList list;
  ASSERT_EQ(list.Rows().size(), 2u);
  EXPECT_EQ(list.Rows()[0].name, u"Login");
  EXPECT_EQ(list.Rows()[0].description, u"Inbuilt NT Login Account Name");
  EXPECT_EQ(list.Rows()[1].name, u"Platform");
  EXPECT_EQ(list.Rows()[1].description, u"Inbuilt Operating System Type");
  EXPECT_EQ(list.Rows()[1].additional, u"");
  EXPECT_EQ(WriteList(list), u"");
}

TEST(VariableList, CreatingTwiceGivesVariable2AndVariable3AndTheWorkedExample) {
  VariableList list;
  EXPECT_EQ(CreateVariable(list, ReadFields(u"HKEY_LOCAL_MACHINE", u"Software/MyApp", u"Edition")), 2u);
  EXPECT_EQ(CreateVariable(list, ReadFields(u"HKEY_CURRENT_USER", u"Software\\MyApp", u"User Name")), 3u);
  EXPECT_EQ(list.VariableNames(),
            (std::vector<WString>{u"Login", u"Platform", u"Variable2", u"Variable3"}));
  EXPECT_EQ(WriteList(list), kWorkedExample);
}

TEST(VariableList, ReadsTheWorkedExampleBackToFourRowsThenCreatesVariable4) {
  VariableList list;
  ASSERT_TRUE(Load(list, kWorkedExample));
  EXPECT_EQ(list.VariableNames(),
            (std::vector<WString>{u"Login", u"Platform", u"Variable2", u"Variable3"}));
  EXPECT_EQ(list.Rows()[3].description, u"HKEY_CURRENT_USER\\Software\\MyApp\\User Name");
  EXPECT_EQ(WriteList(list), kWorkedExample);
  EXPECT_EQ(CreateVariable(list, ReadFields(u"HKEY_USERS", u"S", u"V")), 4u);
  EXPECT_EQ(list.Rows()[4].name, u"Variable4");
}

TEST(VariableList, OnlyUserVariable3LoadedGivesASecondVariable3AfterIt) {
  VariableList list;
  ASSERT_TRUE(Load(list, u"\t\t<Variable Name=\"Variable3\" Description=\"first\" Additional=\"REG_SZ\" />\r\n"));
  EXPECT_EQ(list.AddVariable(u"", u"second", u"REG_DWORD"), 3u);
  ASSERT_EQ(list.Rows().size(), 4u);
  EXPECT_EQ(list.Rows()[2].name, u"Variable3");
  EXPECT_EQ(list.Rows()[2].description, u"first");
  EXPECT_EQ(list.Rows()[3].name, u"Variable3");
  EXPECT_EQ(list.Rows()[3].description, u"second");
}

TEST(VariableList, RowsStayInCaseInsensitiveOrderAndEqualNamesKeepTheirArrival) {
  VariableList list;
  list.AddVariable(u"beta", u"1", u"");
  list.AddVariable(u"Alpha", u"2", u"");
  list.AddVariable(u"alpha", u"3", u"");
  list.AddVariable(u"PLATFORM", u"4", u"");
  list.AddVariable(u"_x", u"5", u"");
  EXPECT_EQ(list.VariableNames(), (std::vector<WString>{u"_x", u"Alpha", u"alpha", u"beta", u"Login",
                                                        u"Platform", u"PLATFORM"}));
}

TEST(VariableList, GivenARowOnlyItsDescriptionAndAdditionalChange) {
  VariableList list;
  list.AddVariable(u"Edition", u"old", u"REG_SZ");
  EXPECT_EQ(UpdateVariable(list, 0, ReadFields(u"HKEY_USERS", u"New", u"Value", u"REG_DWORD")), 0u);
  EXPECT_EQ(list.Rows()[0].name, u"Edition");
  EXPECT_EQ(list.Rows()[0].description, u"HKEY_USERS\\New\\Value");
  EXPECT_EQ(list.Rows()[0].additional, u"REG_DWORD");
  EXPECT_EQ(list.Rows().size(), 3u);
  EXPECT_FALSE(list.AddVariable(u"x", u"y", u"z", 3).has_value());
  EXPECT_EQ(list.Rows().size(), 3u);
}

TEST(VariableList, RenamingMovesTheRowToItsSortedPlace) {
  VariableList list;
  list.AddVariable(u"", u"d", u"REG_SZ");  // Variable2
  EXPECT_EQ(list.RenameVariable(2, u"Build"), 0u);
  EXPECT_EQ(list.VariableNames(), (std::vector<WString>{u"Build", u"Login", u"Platform"}));
  EXPECT_EQ(list.Rows()[0].description, u"d");
  // Built-in rows can be renamed too; they then become user rows.
  EXPECT_EQ(list.RenameVariable(1, u"Zed"), 2u);
  EXPECT_EQ(list.VariableNames(), (std::vector<WString>{u"Build", u"Platform", u"Zed"}));
  EXPECT_FALSE(list.RenameVariable(3, u"x").has_value());
}

TEST(VariableList, EmptyNameIsWrittenEmptyAndReadsBackAutomatic) {
  VariableList list;
  list.AddVariable(u"Edition", u"HKEY_USERS\\a\\b", u"REG_SZ");
  EXPECT_EQ(list.RenameVariable(0, u""), 0u);
  const WString written = WriteList(list);
  EXPECT_EQ(written,
            u"\t\t<Variable Name=\"\" Description=\"HKEY_USERS\\a\\b\" Additional=\"REG_SZ\" />\r\n");
  VariableList again;
  ASSERT_TRUE(Load(again, written));
  EXPECT_EQ(again.VariableNames(), (std::vector<WString>{u"Login", u"Platform", u"Variable2"}));
}

TEST(VariableList, ReaderTakesExactCaseAttributesOnly) {
  VariableList list;
  ASSERT_TRUE(Load(list, u"\t\t<Variable name=\"lower\" DESCRIPTION=\"d\" Additional=\"REG_SZ\" Extra=\"e\" />\r\n"
                         u"\t\t<Variable Description=\"only\" />\r\n"
                         u"\t\t<variable Name=\"ignored\" />\r\n"
                         u"\t\t<Variable Name=\"Login\" Description=\"user row\" Additional=\"REG_SZ\" />\r\n"));
  ASSERT_EQ(list.Rows().size(), 5u);
  EXPECT_EQ(list.VariableNames(),
            (std::vector<WString>{u"Login", u"Login", u"Platform", u"Variable2", u"Variable3"}));
  EXPECT_EQ(list.Rows()[1].description, u"user row");
  EXPECT_EQ(list.Rows()[3].description, u"");
  EXPECT_EQ(list.Rows()[3].additional, u"REG_SZ");
  EXPECT_EQ(list.Rows()[4].description, u"only");
  EXPECT_EQ(list.Rows()[4].additional, u"");
}

TEST(VariableList, ReadingManyRowsOrdersThemAsAddingOneByOne) {
  std::mt19937 random(7);
  const char16_t* stems[] = {u"Alpha", u"alpha", u"ALPHA", u"beta", u"Login", u"", u"Variable5"};
  VariableList expected;
  WString xml;
  for (int i = 0; i < 1500; ++i) {
    const WString name = stems[random() % 7];
    const WString description = text::FormatDecimal(i);
    xml += u"\t\t<Variable Name=\"" + name + u"\" Description=\"" + description +
           u"\" Additional=\"REG_SZ\" />\r\n";
    expected.AddVariable(name, description, u"REG_SZ");
  }
  VariableList list;
  ASSERT_TRUE(Load(list, xml));
  ASSERT_EQ(list.Rows().size(), expected.Rows().size());
  for (size_t i = 0; i < list.Rows().size(); ++i) {
    EXPECT_EQ(list.Rows()[i].name, expected.Rows()[i].name) << i;
    EXPECT_EQ(list.Rows()[i].description, expected.Rows()[i].description) << i;
  }
}

TEST(VariableList, QuotesAndAmpersandsAreEscapedAndReadBackUnchanged) {
  VariableList list;
  list.AddVariable(u"A&B", u"HKEY_USERS\\\"quoted\" & <more>\\it's", u"REG_\"SZ\"");
  const WString written = WriteList(list);
  EXPECT_EQ(written,
            u"\t\t<Variable Name=\"A&amp;B\" Description=\"HKEY_USERS\\&quot;quoted&quot; &amp; "
            u"&lt;more&gt;\\it&apos;s\" Additional=\"REG_&quot;SZ&quot;\" />\r\n");
  VariableList again;
  ASSERT_TRUE(Load(again, written));
  EXPECT_EQ(again.Rows()[0].name, u"A&B");
  EXPECT_EQ(again.Rows()[0].description, u"HKEY_USERS\\\"quoted\" & <more>\\it's");
  EXPECT_EQ(again.Rows()[0].additional, u"REG_\"SZ\"");
  EXPECT_EQ(WriteList(again), written);
}

TEST(VariableList, ServerFormWritesNothing) {
  VariableList list;
  ASSERT_TRUE(Load(list, kWorkedExample));
  WString out = u"kept";
  EXPECT_TRUE(list.WriteXml(out, XmlForm::ServerForm));
  EXPECT_EQ(out, u"kept");
}

TEST(VariableList, ExpandsUserReferencesWithCaseAndNeverBuiltIns) {
  VariableList list;
  list.AddVariable(u"Variable2", u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition", u"REG_SZ");
  list.AddVariable(u"login", u"HKEY_CURRENT_USER\\Names\\Login", u"REG_DWORD");
  struct Case {
    const char16_t* text;
    const char16_t* expanded;
  };
  const Case cases[] = {
      {u"ed=%Variable2%&user=%Login%",
       u"ed=%REG HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition|REG_SZ%&user=%Login%"},
      {u"%login%%login%", u"%REG HKEY_CURRENT_USER\\Names\\Login|REG_DWORD%"
                          u"%REG HKEY_CURRENT_USER\\Names\\Login|REG_DWORD%"},
      {u"%LOGIN% %Platform% %variable2% %Nobody% 100%", u"%LOGIN% %Platform% %variable2% %Nobody% 100%"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(list.ExpandVariables(c.text), c.expanded);
}

TEST(VariableList, RowRenamedToEmptyExpandsNothing) {
  VariableList list;
  list.AddVariable(u"Edition", u"HKEY_USERS\\a\\b", u"REG_SZ");
  list.RenameVariable(0, u"");
  EXPECT_EQ(list.ExpandVariables(u"50%% off %Edition%"), u"50%% off %Edition%");
}

// Each description names the next row twice, so every row would double the
// text: 40 rows would make it a million million times longer.
TEST(VariableList, ChainedDescriptionsStopGrowingAtTheLimit) {
  VariableList list;
  const auto name = [](int i) { return u"V" + text::FormatDecimal(100 + i); };
  for (int i = 0; i < 40; ++i) {
    const WString next = u"%" + name(i + 1) + u"%";
    list.AddVariable(name(i), next + next, u"x");
  }
  const WString start = u"%" + name(0) + u"%";
  for (const WString& expanded :
       {list.ExpandVariables(start), list.ExpandVariablesInEscapedText(start)}) {
    EXPECT_LE(expanded.size(), start.size() + VariableList::kExpansionLimit);
    // The rows that fitted were expanded: the text starts with several
    // levels of "%REG " and still names a row the limit stopped.
    EXPECT_EQ(expanded.rfind(u"%REG %REG %REG %REG ", 0), 0u);
    EXPECT_NE(expanded.find(u"%V1"), WString::npos);
  }
  // A short chain is expanded in full.
  VariableList shortList;
  shortList.AddVariable(u"A", u"%B%|%B%", u"1");
  shortList.AddVariable(u"B", u"k", u"2");
  EXPECT_EQ(shortList.ExpandVariables(u"%A%"), u"%REG %REG k|2%|%REG k|2%|1%");
}

TEST(VariablesDialogRules, BuiltInRowsCannotBeEdited) {
  VariableList list;
  list.AddVariable(u"login", u"user row", u"REG_SZ");  // goes after the equal "Login"
  ScriptedPrompt prompt;
  EXPECT_TRUE(CheckVariableEditable(list, 1, prompt));
  EXPECT_FALSE(CheckVariableEditable(list, std::nullopt, prompt));
  EXPECT_FALSE(CheckVariableEditable(list, 7, prompt));
  EXPECT_TRUE(prompt.Events().empty());

  for (size_t row : {size_t{0}, size_t{2}}) {
    prompt.Clear();
    const bool editable = CheckVariableEditable(list, row, prompt);
    ExpectValidation(prompt, editable, kVariablesListField,
                     u"You cannot change the property of in-built variables");
  }
}

}  // namespace
}  // namespace tidewell
