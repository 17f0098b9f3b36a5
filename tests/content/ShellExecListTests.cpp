#include <gtest/gtest.h>

#include <string>

#include "content/ListXml.h"
#include "content/ShellExecList.h"
#include "content/ShellExecRules.h"
#include "content/ValidationCheck.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ExpectValidation;
using testing::ParseList;
using testing::ScriptedPrompt;
using testing::WriteList;

constexpr int kApplicationDir = 0;
constexpr int kWinDir = 3;
constexpr int kWelcomeScreen = 0;
constexpr int kDownloadComplete = 2;
constexpr int kInstallationComplete = 3;

ShellExecFields Fields(int directory, std::u16string_view fileName, int point) {
  return ShellExecFields{directory, WString(fileName), point};
}

bool ReadBack(ShellExecList& list, const WString& listText) {
  pugi::xml_document dom;
  const pugi::xml_node element = ParseList(dom, "ShellExec", listText);
  return element && list.ReadXml(element);
}

// "Point label/entry label" for every entry, in tree order.
std::vector<WString> Entries(const ShellExecList& list) {
  std::vector<WString> entries;
  for (const TreeNode* point : list.Children(nullptr))
    for (const TreeNode* entry : list.Children(point)) entries.push_back(point->name + u"/" + entry->name);
  return entries;
}

const WString kWorkedExample =
    u"\t\t<Execute Point=\"4\" File=\"&lt;ApplicationDir&gt;\\setup.exe\" />\r\n"
    u"\t\t<Execute Point=\"1\" File=\"&lt;WinDir&gt;\\notepad.exe\" />\r\n";

TEST(ShellExecList, WritesTheWorkedExampleByteForByteInBothForms) {
  ShellExecList list;
  ASSERT_NE(AddShellExecution(list, Fields(kApplicationDir, u"setup.exe", kInstallationComplete)), nullptr);
  ASSERT_NE(AddShellExecution(list, Fields(kWinDir, u"notepad.exe", kWelcomeScreen)), nullptr);
  EXPECT_EQ(WriteList(list), kWorkedExample);
  WString server;
  EXPECT_TRUE(list.WriteXml(server, XmlForm::ServerForm));
  EXPECT_EQ(server, kWorkedExample);
  EXPECT_EQ(Entries(list), (std::vector<WString>{u"Installation complete/<ApplicationDir>\\setup.exe",
                                                u"Welcome screen/<WinDir>\\notepad.exe"}));
}

TEST(ShellExecList, ReadsTheWorkedExampleBackAndWritesItAgainIdentically) {
  ShellExecList list;
  ASSERT_TRUE(ReadBack(list, kWorkedExample));
  EXPECT_EQ(Entries(list), (std::vector<WString>{u"Installation complete/<ApplicationDir>\\setup.exe",
                                                u"Welcome screen/<WinDir>\\notepad.exe"}));
  EXPECT_EQ(WriteList(list), kWorkedExample);
}

TEST(ShellExecList, EmptyListWritesNothing) {
  ShellExecList list;
  WString out = u"kept";
  EXPECT_TRUE(list.WriteXml(out, XmlForm::ProjectForm));
  EXPECT_EQ(out, u"kept");
}

// A Point that names no point files the entry under "Installation complete".
TEST(ShellExecList, ReadsPointNumbersWithTheDecimalRule) {
  struct Case {
    const char* attributes;
    const char16_t* point;
    int written;
  };
  const Case cases[] = {
      {R"(Point="1" File="x")", u"Welcome screen", 1},
      {R"(Point="2" File="x")", u"Download screen", 2},
      {R"(Point=" 3" File="x")", u"Download complete", 3},
      {R"(Point="+2abc" File="x")", u"Download screen", 2},
      {R"(Point="4" File="x")", u"Installation complete", 4},
      {R"(Point="7" File="x")", u"Installation complete", 4},
      {R"(Point="0" File="x")", u"Installation complete", 4},
      {R"(Point="-1" File="x")", u"Installation complete", 4},
      {R"(Point="two" File="x")", u"Installation complete", 4},
      {R"(Point="99999999999999999999" File="x")", u"Installation complete", 4},
      {R"(File="x")", u"Installation complete", 4},
      {R"(POINT="1" File="x")", u"Installation complete", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    ShellExecList list;
    ASSERT_TRUE(ReadBack(list, u"\t\t<Execute " + text::FromUtf8(c.attributes) + u" />\r\n"));
    EXPECT_EQ(Entries(list), std::vector<WString>{WString(c.point) + u"/x"});
    EXPECT_EQ(WriteList(list), u"\t\t<Execute Point=\"" + text::FormatDecimal(c.written) +
                               u"\" File=\"x\" />\r\n");
  }
}

TEST(ShellExecList, LowerCaseAttributeNamesAreNotRead) {
  ShellExecList list;
  ASSERT_TRUE(ReadBack(list, u"\t\t<Execute point=\"1\" file=\"a.exe\" />\r\n"));
  EXPECT_EQ(Entries(list), std::vector<WString>{u"Installation complete/"});
  EXPECT_EQ(WriteList(list), u"\t\t<Execute Point=\"4\" File=\"\" />\r\n");
}

TEST(ShellExecList, EntriesAreWrittenInLabelOrderWithoutRegardToCase) {
  ShellExecList list;
  for (const char16_t* name : {u"b.exe", u"C.exe", u"A.exe", u"a.EXE"})
    AddShellExecution(list, Fields(kApplicationDir, name, kDownloadComplete));
  EXPECT_EQ(WriteList(list),
            u"\t\t<Execute Point=\"3\" File=\"&lt;ApplicationDir&gt;\\A.exe\" />\r\n"
            u"\t\t<Execute Point=\"3\" File=\"&lt;ApplicationDir&gt;\\b.exe\" />\r\n"
            u"\t\t<Execute Point=\"3\" File=\"&lt;ApplicationDir&gt;\\C.exe\" />\r\n");
}

TEST(ShellExecList, DuplicateEntryOfOnePointIsNotAddedButAnotherPointTakesIt) {
  ShellExecList list;
  EXPECT_NE(AddShellExecution(list, Fields(kWinDir, u"Tool.exe", kWelcomeScreen)), nullptr);
  EXPECT_EQ(AddShellExecution(list, Fields(kWinDir, u"TOOL.EXE", kWelcomeScreen)), nullptr);
  EXPECT_NE(AddShellExecution(list, Fields(kWinDir, u"TOOL.EXE", kDownloadComplete)), nullptr);
  EXPECT_EQ(list.NodeCount(), 4u);
}

TEST(ShellExecList, LabelsWithMarkupReadBackUnchanged) {
  ShellExecList list;
  ASSERT_NE(AddShellExecution(list, Fields(kApplicationDir, u"run \"a&b\" <x> 'y'.exe", kWelcomeScreen)),
            nullptr);
  const WString written = WriteList(list);
  EXPECT_EQ(written,
            u"\t\t<Execute Point=\"1\" File=\"&lt;ApplicationDir&gt;\\run &quot;a&amp;b&quot; "
            u"&lt;x&gt; &apos;y&apos;.exe\" />\r\n");
  ShellExecList again;
  ASSERT_TRUE(ReadBack(again, written));
  EXPECT_EQ(Entries(again),
            std::vector<WString>{u"Welcome screen/<ApplicationDir>\\run \"a&b\" <x> 'y'.exe"});
  EXPECT_EQ(WriteList(again), written);
}

TEST(ShellExecList, TopLevelNodeThatIsNoPointFailsTheWrite) {
  ShellExecList list;
  ASSERT_TRUE(ReadBack(list, u"\t\t<RunAt Name=\"Sometime\" />\r\n"
                             u"\t\t<Execute Point=\"1\" File=\"a.exe\" />\r\n"));
  WString out = u"kept";
  EXPECT_FALSE(list.WriteXml(out, XmlForm::ProjectForm));
  EXPECT_EQ(out, u"kept");
  // A point spelt in another case is no point either.
  ShellExecList other;
  other.AddDirectoryPath(u"welcome screen", nullptr);
  EXPECT_FALSE(other.WriteXml(out, XmlForm::ProjectForm));
}

TEST(ShellExecList, EntriesGoUnderTheirPointWhateverEnclosesThem) {
  ShellExecList list;
  ASSERT_TRUE(ReadBack(list, u"\t\t<RunAt Name=\"Download screen\">\r\n"
                             u"\t\t\t<Execute Point=\"3\" File=\"inner.exe\" />\r\n"
                             u"\t\t</RunAt>\r\n"));
  EXPECT_EQ(Entries(list), std::vector<WString>{u"Download complete/inner.exe"});
  // The point the element stood in is still a valid point: the write succeeds.
  EXPECT_EQ(WriteList(list), u"\t\t<Execute Point=\"3\" File=\"inner.exe\" />\r\n");
}

TEST(ShellExecList, ReadsOnlyTheFirstTenAttributesOfAnExecute) {
  std::string attributes;
  for (int i = 0; i < 10; ++i) attributes += " n" + std::to_string(i) + "=\"v\"";
  for (int i = 0; i < 3000; ++i) attributes += " m" + std::to_string(i) + "=\"v\"";
  ShellExecList list;
  ASSERT_TRUE(ReadBack(list, text::FromUtf8("\t\t<Execute" + attributes +
                                            " Point=\"1\" File=\"late.exe\" />\r\n")));
  EXPECT_EQ(Entries(list), std::vector<WString>{u"Installation complete/"});
}

// The rules of the file execution dialog.

TEST(ShellExecRules, ValidationStopsAtTheFirstFailureWithItsOwnMessage) {
  struct Case {
    ShellExecFields fields;
    FieldId failedAt;  // empty: passes
    const char16_t* message;
  };
  const Case cases[] = {
      {Fields(kNoSelection, u"", kNoSelection), kShellExecDirectoryField,
       u"You must select an execution directory."},
      {Fields(4, u"a.exe", 0), kShellExecDirectoryField, u"You must select an execution directory."},
      {Fields(0, u"", kNoSelection), kShellExecFileNameField, u"The file-name cannot be empty"},
      {Fields(0, u"a.exe", kNoSelection), kShellExecPointField, u"You must select an execution point."},
      {Fields(0, u"a.exe", 4), kShellExecPointField, u"You must select an execution point."},
      {Fields(3, u"a.exe", 0), {}, u""},
      {ShellExecFields{}, kShellExecFileNameField, u"The file-name cannot be empty"},
      {Fields(0, u"..\\outside\\x.exe", 0), kShellExecFileNameField,
       u"The file-name ..\\outside\\x.exe cannot be used: a part of it is \".\" or \"..\". The update client "
       u"starts only files in the execution directory and the folders below it."},
      {Fields(1, u"C:\\x.exe", 0), kShellExecFileNameField,
       u"The file-name C:\\x.exe cannot be used: it names a drive, a share, a device or the root instead of a place "
       u"below its folder. The update client starts only files in the execution directory and the folders below it."},
      {Fields(2, u"bin\\LPT1.exe", 9), kShellExecFileNameField,
       u"The file-name bin\\LPT1.exe cannot be used: a part of it is a device name such as CON, NUL, COM1 or LPT1. "
       u"The update client starts only files in the execution directory and the folders below it."},
      {Fields(0, u"\\tools..x\\con1.exe", 0), {}, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failedAt);
    ScriptedPrompt prompt;
    const bool passed = ValidateShellExec(c.fields, prompt);
    ExpectValidation(prompt, passed, c.failedAt, c.message);
  }
}

TEST(ShellExecRules, LabelJoinsDirectoryAndFileNameWithOneBackslash) {
  struct Case {
    int directory;
    const char16_t* fileName;
    const char16_t* label;
  };
  const Case cases[] = {
      {0, u"setup.exe", u"<ApplicationDir>\\setup.exe"},
      {1, u"\\setup.exe", u"<ProgramFilesDir>\\setup.exe"},
      {2, u"bin\\\\tool.exe", u"<SystemDir>\\bin\\tool.exe"},
      {3, u"\\\\\\x.exe", u"<WinDir>\\\\x.exe"},
      {kNoSelection, u"x.exe", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(ShellExecLabel(Fields(c.directory, c.fileName, 0)), c.label);
}

TEST(ShellExecRules, DefaultsAreApplicationDirAndInstallationComplete) {
  ShellExecList list;
  ShellExecFields fields;
  fields.fileName = u"after.exe";
  ASSERT_NE(AddShellExecution(list, fields), nullptr);
  EXPECT_EQ(Entries(list), std::vector<WString>{u"Installation complete/<ApplicationDir>\\after.exe"});
  EXPECT_EQ(AddShellExecution(list, Fields(kNoSelection, u"x.exe", 0)), nullptr);
  EXPECT_EQ(AddShellExecution(list, Fields(0, u"x.exe", 9)), nullptr);
  EXPECT_EQ(list.NodeCount(), 2u);
}

TEST(ShellExecRules, ChoosingAFileKeepsOnlyItsName) {
  struct Case {
    const char16_t* path;
    const char16_t* name;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\MyApp\\setup.exe", u"setup.exe"},
      {u"/home/me/builds/patch.msi", u"patch.msi"},
      {u"plain.exe", u"plain.exe"},
      {u"C:\\folder\\", u""},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameOfChosenPath(c.path), c.name);
}

}  // namespace
}  // namespace tidewell
