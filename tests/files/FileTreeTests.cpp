#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "support/HostOnly.h"
#include "files/FileTree.h"
#include "project/ProjectSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

FileRecord MakeRecord(UpdateCondition type, int32_t os = 31, int32_t unzip = 0, WString src = u"\\") {
  FileRecord record;
  record.Type = type;
  record.OS = os;
  record.Unzip = unzip;
  record.Src = std::move(src);
  return record;
}

// The project form of the tree, read back through a FileList element.
bool ReadBack(FileTree& tree, const WString& listText) {
  pugi::xml_document dom;
  const std::string xml = "<FileList>\r\n" + text::ToUtf8(listText) + "</FileList>";
  if (!dom.load_buffer(xml.data(), xml.size())) return false;
  return tree.ReadXml(dom.child("FileList"));
}

WString Write(const FileTree& tree, XmlForm form) {
  WString out;
  EXPECT_TRUE(tree.WriteXml(out, form));
  return out;
}

// The tree of the worked example: App.exe in <ApplicationDir>, and the archive
// Data.zip with its entry readme.txt in <ApplicationDir>\Data.
void BuildWorkedExample(FileTree& tree) {
  TreeNode* app = tree.AddDirectoryPath(u"<ApplicationDir>", nullptr);
  const FileRecord exe = MakeRecord(UpdateCondition::VersionBased);
  tree.InsertItem(app, &exe, u"App.exe");
  TreeNode* data = tree.AddDirectoryPath(u"<ApplicationDir>\\Data", nullptr);
  const FileRecord zip = MakeRecord(UpdateCondition::TimeStampBased, 3, 1);
  TreeNode* archive = tree.InsertItem(data, &zip, u"Data.zip");
  FileRecord entry = zip;
  entry.Src = u"zip";
  entry.Name = u"Data.zip<readme.txt>";
  tree.InsertItem(archive, &entry, u"readme.txt");
}

const WString kWorkedExample =
    u"\t\t<Directory Name=\"&lt;ApplicationDir&gt;\">\r\n"
    u"\t\t\t<File Name=\"App.exe\"  Type=\"ver\" Src=\"\\\" />\r\n"
    u"\t\t\t<Directory Name=\"Data\">\r\n"
    u"\t\t\t\t<File Name=\"Data.zip\" OS=\"3\" Action=\"unzip\" Type=\"date\" Src=\"\\\">"
    u"\t\t\t\t\t<File Name=\"readme.txt\" OS=\"3\" Action=\"unzip\" Type=\"date\" Src=\"zip\" />\r\n"
    u"</File>\r\n"
    u"\t\t\t</Directory>\r\n"
    u"\t\t</Directory>\r\n";

TEST(FileTree, WritesTheWorkedExampleByteForByte) {
  FileTree tree;
  BuildWorkedExample(tree);
  EXPECT_EQ(Write(tree, XmlForm::ProjectForm), kWorkedExample);
}

TEST(FileTree, ReadsTheWorkedExampleBackToTheSameTree) {
  FileTree tree;
  ASSERT_TRUE(ReadBack(tree, kWorkedExample));
  EXPECT_EQ(Write(tree, XmlForm::ProjectForm), kWorkedExample);
  TreeNode* data = tree.FindChild(tree.FindChild(nullptr, u"<ApplicationDir>"), u"Data");
  ASSERT_NE(data, nullptr);
  TreeNode* archive = tree.FindChild(data, u"data.ZIP");
  ASSERT_NE(archive, nullptr);
  ASSERT_EQ(archive->children.size(), 1u);
  const FileRecord* entry = FileTree::RecordOf(*archive->children[0]);
  EXPECT_EQ(entry->Name, u"Data.zip<readme.txt>");
  EXPECT_EQ(archive->children[0]->name, u"Data.zip<readme.txt>");
  EXPECT_EQ(entry->OS, 3);
  EXPECT_EQ(entry->Unzip, 1);
}

TEST(FileTree, ServerFormMeasuresFilesAndFailsOnAMissingOne) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "App.exe", std::string(40960, 'x'));
  testing::WriteBytes(dir / "bin" / "tool.dll", std::string(10, 'y'));
  ProjectSettings settings;
  settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(dir.Path()));
  testing::ScriptedPrompt prompt;
  FileTree tree;
  tree.SetContext(&settings, &prompt);
  TreeNode* root = tree.AddDirectoryPath(u"<ApplicationDir>", nullptr);
  const FileRecord app = MakeRecord(UpdateCondition::Unconditional);
  tree.InsertItem(root, &app, u"App.exe");
  const FileRecord tool = MakeRecord(UpdateCondition::Unconditional, 0, 0, u"\\bin\\");
  tree.InsertItem(root, &tool, u"tool.dll");
  EXPECT_EQ(Write(tree, XmlForm::ServerForm),
            u"\t\t<Directory Name=\"&lt;ApplicationDir&gt;\">\r\n"
            u"\t\t\t<File Name=\"App.exe\" Size=\"40960\"  Src=\"\\\" />\r\n"
            u"\t\t\t<File  Size=\"10\"  Src=\"\\bin\\\" />\r\n"
            u"\t\t</Directory>\r\n");
  EXPECT_TRUE(prompt.Events().empty());

  const FileRecord gone = MakeRecord(UpdateCondition::TimeStampBased, 31, 0, u"\\bin\\");
  tree.InsertItem(root, &gone, u"gone.txt");
  WString out;
  EXPECT_FALSE(tree.WriteXml(out, XmlForm::ServerForm));
  const auto messages = prompt.Of(testing::PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, u"File error occured:\r\n" +
                                  text::FromPath(dir.Path() / "bin" / "gone.txt") +
                                  u"\r\n\r\nThe file may no longer exist or has errors. Verify file on drive.");
  EXPECT_EQ(messages[0].icon, MessageIcon::Error);
}

TEST(FileTree, DiskPathOfAZipEntryNamesItsArchiveInTheArchivesFolder) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  ProjectSettings settings;
  settings.SetSetting(SettingKey::UpdateFilesDir, text::FromUtf8("/stage/"));
  FileTree tree;
  tree.SetContext(&settings, nullptr);
  const FileRecord zip = MakeRecord(UpdateCondition::TimeStampBased, 31, 1, u"\\Data\\");
  TreeNode* archive = tree.InsertItem(nullptr, &zip, u"Data.zip");
  FileRecord entry = zip;
  entry.Src = u"ZIP";
  entry.Name = u"Data.zip<docs\\readme.txt>";
  TreeNode* node = tree.InsertItem(archive, &entry, u"docs\\readme.txt");
  const WString sep(1, text::kHostSeparator);
  EXPECT_EQ(tree.GetItemDiskPath(*archive), u"/stage" + sep + u"Data" + sep + u"Data.zip");
  EXPECT_EQ(tree.GetItemDiskPath(*node), u"/stage" + sep + u"Data" + sep + u"Data.zip<docs\\readme.txt>");
  EXPECT_EQ(tree.GetItemDiskPath(*tree.AddDirectoryPath(u"dir", nullptr)), u"");
}

TEST(FileTree, AttributeRulesOfBothForms) {
  struct Case {
    const char* what;
    FileRecord record;
    const char16_t* name;
    const char16_t* project;
  };
  FileRecord os0 = MakeRecord(UpdateCondition::Unconditional, 0);
  FileRecord negative = MakeRecord(UpdateCondition::TimeStampBased, -4);
  const Case cases[] = {
      {"unconditional has no Type", MakeRecord(UpdateCondition::Unconditional), u"a.txt",
       u"<File Name=\"a.txt\"  Src=\"\\\" />"},
      {"OS 0 is written in the project form", os0, u"b.txt", u"<File Name=\"b.txt\" OS=\"0\"  Src=\"\\\" />"},
      {"a negative OS too", negative, u"c.txt", u"<File Name=\"c.txt\" OS=\"-4\"  Type=\"date\" Src=\"\\\" />"},
      {"name after the first <, trailing > removed", MakeRecord(UpdateCondition::Unconditional),
       u"x<y>>", u"<File Name=\"y\"  Src=\"\\\" />"},
      {"escaped name and Src", MakeRecord(UpdateCondition::Unconditional, 31, 0, u"\\a&b\\"), u"it's",
       u"<File Name=\"it&apos;s\"  Src=\"\\a&amp;b\\\" />"},
  };
  for (const auto& c : cases) {
    FileTree tree;
    tree.InsertItem(nullptr, &c.record, c.name);
    EXPECT_EQ(Write(tree, XmlForm::ProjectForm), u"\t\t" + WString(c.project) + u"\r\n") << c.what;
  }
}

// The writer joins the parts of a File line with the blanks already reduced;
// the line must be exactly the attribute text with each pair of blanks made
// one, blanks inside names and folders included.
TEST(FileTree, LinesEqualTheAttributeTextWithBlankPairsReduced) {
  testing::TempDir dir;
  for (const char* file : {"a.txt", "two  blanks.txt", "three   blanks .txt", "x"})
    testing::WriteBytes(dir / "in  it" / file, "abc");
  ProjectSettings settings;
  settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(dir.Path()));
  const WString src = u"\\in  it\\";
  const FileRecord records[] = {
      MakeRecord(UpdateCondition::Unconditional, 31, 0, src),
      MakeRecord(UpdateCondition::TimeStampBased, 0, 1, src),
      MakeRecord(UpdateCondition::VersionBased, 5, 0, src),
      MakeRecord(UpdateCondition::TimeStampBased, -1, 1, src),
      MakeRecord(UpdateCondition::Unconditional, 31, 1, src),
  };
  for (const FileRecord& record : records) {
    for (const char16_t* name : {u"a.txt", u"two  blanks.txt", u"three   blanks .txt", u"x"}) {
      for (XmlForm form : {XmlForm::ProjectForm, XmlForm::ServerForm}) {
        if (form == XmlForm::ServerForm && record.Type == UpdateCondition::VersionBased) continue;
        FileTree tree;
        tree.SetContext(&settings, nullptr);
        const TreeNode* node = tree.InsertItem(nullptr, &record, name);
        const WString expected =
            u"\t\t<File " + text::ReduceDoubleSpaces(tree.ItemAttributes(*node, form)) + u" />\r\n";
        EXPECT_EQ(Write(tree, form), expected) << text::ToUtf8(name) << " OS " << record.OS;
      }
    }
  }
}

// Many files are measured on several threads before the lines are written:
// the text must be the one measured file by file, and of two missing files
// the first in the tree's order is the one reported.
TEST(FileTree, ServerFormOfManyFilesIsTheOneMeasuredFileByFile) {
  testing::TempDir dir;
  ProjectSettings settings;
  settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(dir.Path()));
  testing::ScriptedPrompt prompt;
  FileTree tree;
  tree.SetContext(&settings, &prompt);
  TreeNode* folder = tree.AddDirectoryPath(u"d", nullptr);
  for (int i = 0; i < 1500; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    testing::WriteBytes(dir / "d" / name, std::string(static_cast<size_t>(i % 97), 'x'));
    const FileRecord record = MakeRecord(i % 2 ? UpdateCondition::TimeStampBased : UpdateCondition::Unconditional,
                                         31, 0, u"\\d\\");
    tree.InsertItem(folder, &record, text::FromUtf8(name));
  }
  WString expected = u"\t\t<Directory Name=\"d\">\r\n";
  for (const TreeNode* file : folder->children)
    expected += u"\t\t\t<File " + text::ReduceDoubleSpaces(tree.ItemAttributes(*file, XmlForm::ServerForm)) +
                u" />\r\n";
  expected += u"\t\t</Directory>\r\n";
  EXPECT_EQ(Write(tree, XmlForm::ServerForm), expected);

  const TreeNode* first = folder->children[300];
  const TreeNode* second = folder->children[1200];
  std::filesystem::remove(text::ToPath(tree.GetItemDiskPath(*second)));
  std::filesystem::remove(text::ToPath(tree.GetItemDiskPath(*first)));
  WString out;
  EXPECT_FALSE(tree.WriteXml(out, XmlForm::ServerForm));
  const auto messages = prompt.Of(testing::PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, FileErrorMessage(tree.GetItemDiskPath(*first)));
}

TEST(FileTree, OsZeroWritesNeitherNameNorOsInTheServerForm) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "b.txt", "abc");
  ProjectSettings settings;
  settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(dir.Path()));
  FileTree tree;
  tree.SetContext(&settings, nullptr);
  const FileRecord record = MakeRecord(UpdateCondition::Unconditional, 0);
  tree.InsertItem(nullptr, &record, u"b.txt");
  EXPECT_EQ(Write(tree, XmlForm::ServerForm), u"\t\t<File  Size=\"3\"  Src=\"\\\" />\r\n");
}

TEST(FileTree, EmptySrcFailsTheWrite) {
  FileTree tree;
  FileRecord record = MakeRecord(UpdateCondition::Unconditional);
  record.Src.clear();
  tree.InsertItem(nullptr, &record, u"a.txt");
  WString out = u"kept";
  EXPECT_FALSE(tree.WriteXml(out, XmlForm::ProjectForm));
}

TEST(FileTree, EmptyTreesAndEmptyDirectories) {
  FileTree tree;
  WString out;
  EXPECT_TRUE(tree.WriteXml(out, XmlForm::ProjectForm));
  EXPECT_EQ(out, u"");
  tree.AddDirectoryPath(u"<WinDir>\\empty", nullptr);
  EXPECT_EQ(Write(tree, XmlForm::ProjectForm),
            u"\t\t<Directory Name=\"&lt;WinDir&gt;\">\r\n"
            u"\t\t\t<Directory Name=\"empty\">\r\n"
            u"\t\t\t</Directory>\r\n"
            u"\t\t</Directory>\r\n");
}

TEST(FileTree, ReadingMatchesAttributeNamesWithoutCaseButValuesExactly) {
  FileTree tree;
  ASSERT_TRUE(ReadBack(tree,
                       u"<File NAME=\"a.exe\" src=\"\\bin\\\" TYPE=\"ver\" action=\"unzip\" os=\"5\" />"
                       u"<File Name=\"b.exe\" Type=\"VER\" Action=\"Unzip\" />"
                       u"<File Name=\"c.exe\" Type=\"date\" Size=\"9\" Mode=\"1.0\" />"
                       u"<Directory name=\"lower\"><File Name=\"lost.txt\" /></Directory>"
                       u"<Directory Name=\"\"><File Name=\"lost2.txt\" /></Directory>"
                       u"<Directory Name=\"a\\b\"><File Name=\"deep.txt\" /></Directory>"));
  const FileRecord* a = FileTree::RecordOf(*tree.FindChild(nullptr, u"a.exe"));
  EXPECT_EQ(a->Src, u"\\bin\\");
  EXPECT_EQ(a->Type, UpdateCondition::VersionBased);
  EXPECT_EQ(a->Unzip, 1);
  EXPECT_EQ(a->OS, 5);
  const FileRecord* b = FileTree::RecordOf(*tree.FindChild(nullptr, u"b.exe"));
  EXPECT_EQ(b->Type, UpdateCondition::Unconditional);
  EXPECT_EQ(b->Unzip, 0);
  EXPECT_EQ(b->OS, 31);
  EXPECT_EQ(b->Src, u"\\");
  EXPECT_EQ(FileTree::RecordOf(*tree.FindChild(nullptr, u"c.exe"))->Type, UpdateCondition::TimeStampBased);
  EXPECT_EQ(tree.FindChild(nullptr, u"lower"), nullptr);
  TreeNode* dirA = tree.FindChild(nullptr, u"a");
  ASSERT_NE(dirA, nullptr);
  TreeNode* dirB = tree.FindChild(dirA, u"b");
  ASSERT_NE(dirB, nullptr);
  EXPECT_NE(tree.FindChild(dirB, u"deep.txt"), nullptr);
  EXPECT_EQ(tree.NodeCount(), 6u);
}

TEST(FileTree, SiblingsAreUniqueWithoutRegardToCaseAndMerged) {
  FileTree tree;
  ASSERT_TRUE(ReadBack(tree,
                       u"<Directory Name=\"Dir\"><File Name=\"Readme.TXT\" Type=\"ver\" /></Directory>"
                       u"<Directory Name=\"DIR\"><File Name=\"README.txt\"><File Name=\"x\" Src=\"zip\"/></File>"
                       u"<File Name=\"other.txt\" /></Directory>"));
  TreeNode* dir = tree.FindChild(nullptr, u"dir");
  ASSERT_NE(dir, nullptr);
  ASSERT_EQ(dir->children.size(), 2u);
  EXPECT_EQ(dir->children[0]->name, u"other.txt");
  EXPECT_EQ(dir->children[1]->name, u"Readme.TXT");
  EXPECT_TRUE(dir->children[1]->children.empty());
  const FileRecord refused = MakeRecord(UpdateCondition::Unconditional);
  EXPECT_EQ(tree.InsertItem(dir, &refused, u"readme.txt"), nullptr);
  // A container of the same name as an item is that item.
  EXPECT_EQ(tree.AddDirectoryPath(u"DIR\\README.TXT", nullptr), dir->children[1]);
}

TEST(FileTree, SiblingOrderFoldsLettersThenComparesCodeUnits) {
  FileTree tree;
  const FileRecord record = MakeRecord(UpdateCondition::Unconditional);
  for (const char16_t* name : {u"b", u"_x", u"B2", u"a", u"Z", u"\u00E9", u"10", u"1"})
    tree.InsertItem(nullptr, &record, name);
  tree.AddDirectoryPath(u"M", nullptr);
  std::vector<WString> names;
  for (const TreeNode* n : tree.Children(nullptr)) names.push_back(n->name.str());
  const std::vector<WString> expected = {u"1", u"10", u"_x", u"a", u"b", u"B2", u"M", u"Z", u"\u00E9"};
  EXPECT_EQ(names, expected);
}

TEST(FileTree, LongContainerNamesAreCutWhenWrittenAndPathsOfAnyLengthWork) {
  FileTree tree;
  const WString longName(300, u'n');
  tree.AddDirectoryPath(longName, nullptr);
  EXPECT_EQ(Write(tree, XmlForm::ProjectForm),
            u"\t\t<Directory Name=\"" + WString(254, u'n') + u"\">\r\n\t\t</Directory>\r\n");

  // A cut never splits an escape.
  FileTree escaped;
  escaped.AddDirectoryPath(WString(253, u'n') + u"&&", nullptr);
  EXPECT_NE(Write(escaped, XmlForm::ProjectForm).find(WString(253, u'n') + u"&amp;\">"), WString::npos);

  FileTree deep;
  WString path;
  for (int i = 0; i < 5000; ++i) path += u"level" + text::FormatDecimal(i) + u"\\\\";
  TreeNode* leaf = deep.AddDirectoryPath(path, nullptr);
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->name, u"level4999");
  EXPECT_EQ(deep.NodeCount(), 5000u);
  EXPECT_EQ(deep.AddDirectoryPath(u"\\\\level0\\", nullptr), deep.Children(nullptr)[0]);
  EXPECT_EQ(deep.AddDirectoryPath(u"", nullptr), nullptr);
}

TEST(FileTree, HostileDocumentsDoNotCrash) {
  // Deep nesting: refused with the processing message instead of a text
  // that grows with the square of the depth; a deep but sane tree works.
  auto nested = [](int depth) {
    std::string xml = "<FileList>";
    for (int i = 0; i < depth; ++i) xml += "<Directory Name=\"d\">";
    for (int i = 0; i < depth; ++i) xml += "</Directory>";
    return xml + "</FileList>";
  };
  {
    pugi::xml_document dom;
    const std::string xml = nested(200000);
    ASSERT_TRUE(dom.load_buffer(xml.data(), xml.size()));
    testing::ScriptedPrompt prompt;
    FileTree tree;
    EXPECT_FALSE(tree.ReadXml(dom.child("FileList"), &prompt));
    const auto messages = prompt.Of(testing::PromptEvent::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, u"Error");
    EXPECT_EQ(messages[0].text, u"Error occured processing XML file.");
  }
  // The same depth reached by one name holding a backslash path of 60,000
  // parts, or by a short path under many levels, is refused alike.
  auto backslashPath = [](int parts) {
    std::string path;
    for (int i = 0; i < parts; ++i) path += "d\\";
    return path;
  };
  const std::string deepByName[] = {
      "<FileList><Directory Name=\"" + backslashPath(60000) +
          "\"><File Name=\"f\" Src=\"\\\" /></Directory></FileList>",
      "<FileList>" + nested(4000).substr(10, 4000 * 20) + "<Directory Name=\"" + backslashPath(97) +
          "\" />" + nested(4000).substr(10 + 4000 * 20, 4000 * 12) + "</FileList>",
  };
  for (const std::string& xml : deepByName) {
    pugi::xml_document dom;
    ASSERT_TRUE(dom.load_buffer(xml.data(), xml.size()));
    testing::ScriptedPrompt prompt;
    FileTree tree;
    EXPECT_FALSE(tree.ReadXml(dom.child("FileList"), &prompt));
    const auto messages = prompt.Of(testing::PromptEvent::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, u"Error occured processing XML file.");
  }
  {
    // At the limit exactly: 4,095 parts and the file under them.
    pugi::xml_document dom;
    const std::string xml = "<FileList><Directory Name=\"\\\\" + backslashPath(4095) +
                            "\"><File Name=\"f\" Src=\"\\\" /></Directory></FileList>";
    ASSERT_TRUE(dom.load_buffer(xml.data(), xml.size()));
    FileTree tree;
    ASSERT_TRUE(tree.ReadXml(dom.child("FileList")));
    EXPECT_EQ(tree.NodeCount(), 4096u);
  }
  {
    pugi::xml_document dom;
    const std::string xml = nested(2000);
    ASSERT_TRUE(dom.load_buffer(xml.data(), xml.size()));
    FileTree tree;
    ASSERT_TRUE(tree.ReadXml(dom.child("FileList")));
    EXPECT_EQ(tree.NodeCount(), 2000u);
    WString out;
    EXPECT_TRUE(tree.WriteXml(out, XmlForm::ProjectForm));
    EXPECT_TRUE(out.ends_with(u"\t\t</Directory>\r\n"));
    tree.DeleteItem(tree.Children(nullptr)[0]);
    EXPECT_TRUE(tree.Empty());
  }
  // Thousands of attributes: only the first ten are looked at.
  std::string many = "<FileList><File Name=\"a.txt\" ";
  for (int i = 0; i < 9; ++i) many += "X" + std::to_string(i) + "=\"1\" ";
  many += "Type=\"ver\" ";
  for (int i = 0; i < 5000; ++i) many += "Y" + std::to_string(i) + "=\"1\" ";
  many += "/></FileList>";
  pugi::xml_document dom2;
  ASSERT_TRUE(dom2.load_buffer(many.data(), many.size()));
  FileTree tree;
  ASSERT_TRUE(tree.ReadXml(dom2.child("FileList")));
  ASSERT_EQ(tree.Children(nullptr).size(), 1u);
  EXPECT_EQ(FileTree::RecordOf(*tree.Children(nullptr)[0])->Type, UpdateCondition::Unconditional);
}

TEST(ItemTree, DeleteItemPrunesEmptyContainersUpwards) {
  FileTree tree;
  const FileRecord record = MakeRecord(UpdateCondition::Unconditional);
  TreeNode* inner = tree.AddDirectoryPath(u"<WinDir>\\sub", nullptr);
  TreeNode* file = tree.InsertItem(inner, &record, u"only.txt");
  TreeNode* other = tree.AddDirectoryPath(u"<SystemDir>\\keep", nullptr);
  tree.InsertItem(other, &record, u"a.txt");
  tree.InsertItem(other, &record, u"b.txt");
  tree.DeleteItem(file);
  EXPECT_EQ(tree.FindChild(nullptr, u"<WinDir>"), nullptr);
  EXPECT_EQ(tree.NodeCount(), 4u);

  // Deleting one of two files keeps the folder.
  tree.DeleteItem(other->children[0]);
  EXPECT_EQ(tree.NodeCount(), 3u);
  ASSERT_EQ(other->children.size(), 1u);

  // The last entry of an archive goes; the archive itself stays.
  FileRecord zip = MakeRecord(UpdateCondition::TimeStampBased, 31, 1);
  TreeNode* archive = tree.InsertItem(other, &zip, u"d.zip");
  FileRecord entry = zip;
  entry.Src = u"zip";
  TreeNode* child = tree.InsertItem(archive, &entry, u"e.txt");
  tree.DeleteItem(child);
  EXPECT_EQ(tree.FindChild(other, u"d.zip"), archive);
  EXPECT_TRUE(archive->children.empty());
}

TEST(ItemTree, CommonAttributesOfBothForms) {
  FileRecord record;
  record.Name = u"Data.zip<readme.txt>";
  record.OS = 31;
  EXPECT_EQ(ItemTree::CommonAttributes(record, XmlForm::ServerForm), u"Name=\"readme.txt\"");
  record.OS = 3;
  EXPECT_EQ(ItemTree::CommonAttributes(record, XmlForm::ServerForm), u"Name=\"readme.txt\"  OS=\"3\"");
  record.OS = 0;
  EXPECT_EQ(ItemTree::CommonAttributes(record, XmlForm::ServerForm), u"");
  EXPECT_EQ(ItemTree::CommonAttributes(record, XmlForm::ProjectForm), u"Name=\"readme.txt\"  OS=\"0\"");

  FileRecord read;
  ItemTree::ReadCommonAttributes({{u"name", u"x"}, {u"Os", u" -12abc"}}, read);
  EXPECT_EQ(read.Name, u"x");
  EXPECT_EQ(read.OS, -12);
}

}  // namespace
}  // namespace tidewell
