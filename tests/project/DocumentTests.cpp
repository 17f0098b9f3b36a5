#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "files/FileTree.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::u16string kWelcomeEscaped =
    u"Hi %Login%,\r\n\r\nAn update is now available!\r\n\r\n"
    u"To update the application to the latest version click &apos;Next&apos;. You can leave the "
    u"update at any time by clicking &apos;Cancel&apos;.\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
    u"WARNING: This program is protected by copyright law. Unauthorized reproduction or "
    u"distribution may result in civil and criminal penalties which will be dealt with to the "
    u"maximum extent of the law.";

WString Text(const ProjectDocument& document, XmlForm form) {
  WString out;
  EXPECT_TRUE(WriteDocumentText(document, out, form));
  return out;
}

// A project on disk in a temporary folder.
struct SavedProject {
  TempDir dir;
  ProjectDocument document;
  SavedProject() {
    document.projectFolder = text::FromPath(dir.Path());
    document.projectFileName = u"Settings.xml";
    document.settings.SetSetting(SettingKey::ProjName, u"Demo");
  }
  WString Path() const { return document.ProjectFilePath(); }
};

TEST(DocumentWriter, EmptyProjectHasNoContainersAndTheSettingsInKeyOrder) {
  ProjectDocument document;
  document.settings.SetSetting(SettingKey::ProjName, u"Demo");
  const WString expected =
      u"<Tidemark>\t<CheckNow>CheckNow</CheckNow>\r\n"
      u"\t<CompanyName>My Company</CompanyName>\r\n"
      u"\t<AppTitle>My Application Title</AppTitle>\r\n"
      u"\t<Welcome>" + kWelcomeEscaped + u"</Welcome>\r\n"
      u"\t<UpdateType>Normal</UpdateType>\r\n"
      u"\t<ProjName>Demo</ProjName>\r\n"
      u"\t<Executable>ApplicationExecutable.exe</Executable>\r\n"
      u"\t<HTTPLocationFiles>http://updates.example.com/AppUpdates</HTTPLocationFiles>\r\n"
      u"\t<HTTPLocationXML>http://updates.example.com/AppUpdates/UpdateFile.xml</HTTPLocationXML>\r\n"
      u"\t<Frequency>0</Frequency>\r\n"
      u"\t<Reprompt>0</Reprompt>\r\n"
      u"\t<Notes>Notes relevant to current build</Notes>\r\n"
      u"\t<ClientXML>UpdateConfig.xml</ClientXML>\r\n"
      u"\t<ClientExe>Tidewatcher.exe</ClientExe>\r\n"
      u"\t<Settings>32</Settings>\r\n"
      u"</Tidemark>";
  EXPECT_EQ(Text(document, XmlForm::ProjectForm), expected);
}

TEST(DocumentWriter, ServerFormLeavesOutProjectKeysHiddenMessagesAndAddsRestart) {
  ProjectDocument document;
  document.settings.SetSetting(SettingKey::ProjName, u"Demo");
  document.settings.SetSetting(SettingKey::License, u"Terms");
  document.settings.SetSetting(SettingKey::Reason, u"Fixes");
  document.settings.SetSetting(SettingKey::UpdateVersion, u"1.5");
  document.settings.SetFlag(BehaviourFlag::ShowReason, true);
  document.settings.SetFlag(BehaviourFlag::ShowWelcome, false);
  EXPECT_EQ(Text(document, XmlForm::ServerForm),
            u"<Tidemark>\t<CheckNow>CheckNow</CheckNow>\r\n"
            u"\t<CompanyName>My Company</CompanyName>\r\n"
            u"\t<AppTitle>My Application Title</AppTitle>\r\n"
            u"\t<Reason>Fixes</Reason>\r\n"
            u"\t<UpdateVersion>1.5</UpdateVersion>\r\n"
            u"\t<UpdateType>Normal</UpdateType>\r\n"
            u"</Tidemark>");
  document.settings.SetFlag(BehaviourFlag::AutomaticRestart, true);
  const WString withRestart = Text(document, XmlForm::ServerForm);
  EXPECT_TRUE(withRestart.ends_with(u"\t<UpdateType>Normal</UpdateType>\r\n\t<Restart />\r\n</Tidemark>"));
  EXPECT_EQ(withRestart.find(u"<Settings>"), WString::npos);
}

TEST(DocumentWriter, ServerFormExpandsUserVariablesAfterEscaping) {
  ProjectDocument document;
  document.variables.AddVariable(u"", u"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition", u"REG_SZ");
  document.settings.SetSetting(SettingKey::AppTitle, u"A&B %Variable2% %Login%");
  const WString server = Text(document, XmlForm::ServerForm);
  EXPECT_NE(server.find(u"\t<AppTitle>A&amp;B %REG HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition|REG_SZ% "
                        u"%Login%</AppTitle>\r\n"),
            WString::npos);
  const WString project = Text(document, XmlForm::ProjectForm);
  EXPECT_NE(project.find(u"<AppTitle>A&amp;B %Variable2% %Login%</AppTitle>"), WString::npos);
  EXPECT_NE(project.find(u"\r\n\t<VariablesList>\r\n\t\t<Variable Name=\"Variable2\""), WString::npos);
}

// A registry path may hold characters XML escapes ("Smith & Sons"): the
// server file must stay well-formed and give the client the path as typed.
TEST(DocumentWriter, ServerFormEscapesWhatAVariableExpandsTo) {
  ProjectDocument document;
  document.variables.AddVariable(u"", u"HKEY_CURRENT_USER\\Software\\Smith & Sons <\"Q\">", u"REG_SZ");
  document.settings.SetSetting(SettingKey::AppTitle, u"T & %Variable2%");
  const WString server = Text(document, XmlForm::ServerForm);
  EXPECT_NE(server.find(u"\t<AppTitle>T &amp; %REG HKEY_CURRENT_USER\\Software\\Smith &amp; Sons "
                        u"&lt;&quot;Q&quot;&gt;|REG_SZ%</AppTitle>\r\n"),
            WString::npos);
  pugi::xml_document dom;
  const std::string bytes = text::ToUtf8(server);
  ASSERT_TRUE(dom.load_buffer(bytes.data(), bytes.size()));
  EXPECT_EQ(std::string(dom.child("Tidemark").child("AppTitle").text().get()),
            "T & %REG HKEY_CURRENT_USER\\Software\\Smith & Sons <\"Q\">|REG_SZ%");
  // The project form keeps the reference itself.
  EXPECT_NE(Text(document, XmlForm::ProjectForm).find(u"<AppTitle>T &amp; %Variable2%</AppTitle>"),
            WString::npos);
}

TEST(DocumentWriter, ListBlocksComeInTheirOrderEachAfterAnEmptyLine) {
  ProjectDocument document;
  document.variables.AddVariable(u"", u"HKEY_CURRENT_USER\\Software\\A\\B", u"REG_SZ");
  FileRecord record;
  record.Type = UpdateCondition::Unconditional;
  document.fileTree.InsertItem(document.fileTree.AddDirectoryPath(u"<WinDir>", nullptr), &record,
                               u"a.txt");
  const WString text = Text(document, XmlForm::ProjectForm);
  const WString expectedStart =
      u"<Tidemark>\r\n"
      u"\t<VariablesList>\r\n"
      u"\t\t<Variable Name=\"Variable2\" Description=\"HKEY_CURRENT_USER\\Software\\A\\B\" Additional=\"REG_SZ\" />\r\n"
      u"\t</VariablesList>\r\n"
      u"\r\n"
      u"\t<FileList>\r\n"
      u"\t\t<Directory Name=\"&lt;WinDir&gt;\">\r\n"
      u"\t\t\t<File Name=\"a.txt\"  Src=\"\\\" />\r\n"
      u"\t\t</Directory>\r\n"
      u"\t</FileList>\r\n"
      u"\t<CheckNow>";
  EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
}

TEST(DocumentWriter, FailingListLeavesOutputUntouchedAndFileUnwritten) {
  SavedProject project;
  WriteBytes(text::ToPath(project.document.ServerFilePath()), "previous server file");
  FileRecord record;
  record.Type = UpdateCondition::Unconditional;
  project.document.fileTree.InsertItem(nullptr, &record, u"missing.exe");
  testing::ScriptedPrompt prompt;
  project.document.SetPrompt(&prompt);

  WString out = u"unchanged";
  EXPECT_FALSE(WriteDocumentText(project.document, out, XmlForm::ServerForm));
  EXPECT_EQ(out, u"unchanged");
  EXPECT_FALSE(SaveDocument(project.document, XmlForm::ServerForm));
  EXPECT_EQ(ReadBytes(text::ToPath(project.document.ServerFilePath())), "previous server file");
  const auto messages = prompt.Of(testing::PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].caption, u"Error");
  EXPECT_EQ(messages[0].text, u"File error occured:\r\n" +
                                  text::JoinHostPath(u"", u"missing.exe") +
                                  u"\r\n\r\nThe file may no longer exist or has errors. Verify file on drive.");
}

TEST(DocumentStore, SaveWritesUtf8WithCrLfAndSetsSavedText) {
  SavedProject project;
  project.document.settings.SetSetting(SettingKey::Notes, u"caf\u00E9 \u20AC \U0001F600");
  ASSERT_TRUE(SaveDocument(project.document, XmlForm::ProjectForm));
  const std::string bytes = ReadBytes(text::ToPath(project.Path()));
  EXPECT_EQ(bytes.substr(0, 10), "<Tidemark>");
  EXPECT_TRUE(bytes.ends_with("</Tidemark>\r\n"));
  EXPECT_NE(bytes.find("<Notes>caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80</Notes>"), std::string::npos);
  EXPECT_EQ(project.document.savedText + u"\r\n", text::FromUtf8(bytes));

  auto loaded = LoadDocumentFresh(project.Path());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::Notes), u"caf\u00E9 \u20AC \U0001F600");
  EXPECT_EQ(loaded->projectFolder, project.document.projectFolder);
  EXPECT_EQ(loaded->projectFileName, u"Settings.xml");
}

TEST(DocumentStore, WithoutAProjectNameSaveRunsSaveAsAndWritesNothing) {
  TempDir dir;
  ProjectDocument document;
  document.projectFolder = text::FromPath(dir.Path());
  document.projectFileName = u"Settings.xml";
  int saveAsRuns = 0;
  EXPECT_TRUE(SaveDocument(document, XmlForm::ProjectForm, [&] { ++saveAsRuns; }));
  EXPECT_TRUE(SaveDocument(document, XmlForm::ServerForm, [&] { ++saveAsRuns; }));
  EXPECT_EQ(saveAsRuns, 2);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

  // With no save-as flow to run, nothing is saved and no caller is told it was.
  for (const XmlForm form : {XmlForm::ProjectForm, XmlForm::ServerForm}) {
    std::string why;
    EXPECT_FALSE(SaveDocument(document, form, {}, &why));
    EXPECT_EQ(why, "the project has no name");
    EXPECT_EQ(SaveNamedDocument(document, form), SaveOutcome::Unnamed);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(DocumentStore, EscapedValuesAndLineBreaksReadBackUnchanged) {
  SavedProject project;
  ProjectSettings& settings = project.document.settings;
  settings.SetSetting(SettingKey::AppTitle, u"a & b < c > d ' e \" f &amp; g");
  settings.SetSetting(SettingKey::Welcome, u"line one\r\nline two\r\n\r\nend");
  settings.SetSetting(SettingKey::UpdateType, u"");
  settings.SetSetting(SettingKey::Notes, u"   ");
  settings.SetFlagsFromMask(u"289");
  ASSERT_TRUE(SaveDocument(project.document, XmlForm::ProjectForm));
  const std::string bytes = ReadBytes(text::ToPath(project.Path()));
  EXPECT_NE(bytes.find("<AppTitle>a &amp; b &lt; c &gt; d &apos; e &quot; f &amp;amp; g</AppTitle>"),
            std::string::npos);
  EXPECT_NE(bytes.find("<Welcome>line one\r\nline two\r\n\r\nend</Welcome>"), std::string::npos);
  EXPECT_EQ(bytes.find("<UpdateType>"), std::string::npos);
  EXPECT_TRUE(bytes.ends_with("\t<Settings>289</Settings>\r\n</Tidemark>\r\n"));

  auto loaded = LoadDocumentFresh(project.Path());
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::AppTitle), u"a & b < c > d ' e \" f &amp; g");
  EXPECT_EQ(loaded->settings.GetRawSetting(SettingKey::Welcome).second, u"line one\nline two\n\nend");
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::Welcome), u"line one\r\nline two\r\n\r\nend");
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::UpdateType), u"Normal");
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::Notes), u"   ");
  EXPECT_EQ(loaded->settings.FlagMask(), u"289");
  // Saved again, the project reads the same, but for the empty value that
  // came back as its default.
  project.document.settings.SetSetting(SettingKey::UpdateType, u"Normal");
  WString again;
  ASSERT_TRUE(WriteDocumentText(*loaded, again, XmlForm::ProjectForm));
  WString first;
  ASSERT_TRUE(WriteDocumentText(project.document, first, XmlForm::ProjectForm));
  EXPECT_EQ(NormaliseLineBreaks(again), NormaliseLineBreaks(first));
}

TEST(DocumentReader, ReadsFilesOfEarlierToolsAndRejectsWhatIsNotAProject) {
  TempDir dir;
  struct Case {
    const char* name;
    std::string bytes;
    bool loads;
  };
  const Case cases[] = {
      {"latin1.xml", "<Tidemark><AppTitle>Caf\xE9</AppTitle></Tidemark>\r\n", true},
      {"bare.xml", "<Tidemark/>", true},
      {"wrong-root.xml", "<Project><AppTitle>x</AppTitle></Project>", false},
      {"not-well-formed.xml", "<Tidemark><AppTitle>x</Tidemark>", false},
      {"empty.xml", "", false},
      {"truncated.xml", "<Tidemark><FileList><Directory Name=\"a\">", false},
      {"binary.xml", std::string("\0\x01\x02\xFF\xFE", 5), false},
  };
  for (const auto& c : cases) {
    WriteBytes(dir / c.name, c.bytes);
    std::string error;
    auto loaded = LoadDocumentFresh(text::FromPath(dir / c.name), nullptr, &error);
    EXPECT_EQ(static_cast<bool>(loaded), c.loads) << c.name << ": " << error;
    if (!c.loads) {
      EXPECT_FALSE(error.empty()) << c.name;
    }
  }
  auto latin1 = LoadDocumentFresh(text::FromPath(dir / "latin1.xml"));
  ASSERT_TRUE(latin1);
  EXPECT_EQ(latin1->settings.GetSetting(SettingKey::AppTitle), u"Caf\u00E9");
  auto bare = LoadDocumentFresh(text::FromPath(dir / "bare.xml"));
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->settings.GetSetting(SettingKey::UpdateType), u"Normal");
  EXPECT_EQ(bare->settings.FlagMask(), u"32");
  EXPECT_FALSE(LoadDocumentFresh(text::FromPath(dir / "absent.xml")));
}

TEST(DocumentReader, FirstElementOfANameCountsAndOrderDoesNot) {
  TempDir dir;
  WriteBytes(dir / "p.xml",
             "<Tidemark><Settings>1</Settings><AppTitle>first</AppTitle><AppTitle>second</AppTitle>"
             "<Unknown>x</Unknown><ProjName>P</ProjName><Settings>4</Settings></Tidemark>");
  auto loaded = LoadDocumentFresh(text::FromPath(dir / "p.xml"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::AppTitle), u"first");
  EXPECT_EQ(loaded->settings.GetSetting(SettingKey::ProjName), u"P");
  EXPECT_EQ(loaded->settings.FlagMask(), u"1");
}

TEST(DocumentReader, ListsAbsentFromTheFileReadAsEmpty) {
  SavedProject project;
  FileRecord record;
  project.document.fileTree.InsertItem(project.document.fileTree.AddDirectoryPath(u"<WinDir>", nullptr),
                                       &record, u"a.txt");
  ASSERT_TRUE(SaveDocument(project.document, XmlForm::ProjectForm));
  auto withFiles = LoadDocumentFresh(project.Path());
  ASSERT_TRUE(withFiles);
  EXPECT_EQ(withFiles->fileTree.NodeCount(), 2u);

  WriteBytes(text::ToPath(project.Path()), "<Tidemark><ProjName>Other</ProjName></Tidemark>");
  auto without = LoadDocumentFresh(project.Path());
  ASSERT_TRUE(without);
  EXPECT_TRUE(without->fileTree.Empty());
  EXPECT_EQ(without->variables.VariableNames().size(), 2u);
}

}  // namespace
}  // namespace tidewell
