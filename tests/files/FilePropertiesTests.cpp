#include <filesystem>

#include <gtest/gtest.h>

#include "files/FileProperties.h"
#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "files/TreePath.h"
#include "files/ZipFixture.h"
#include "project/ProjectSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::PromptEvent;
using testing::ScriptedPrompt;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteZip;

const fs::path kVersionedDll = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/kernel32.dll";

// A file tree whose base update directory is a temporary folder; each file
// added lies directly in it.
struct Staged {
  TempDir dir;
  ProjectSettings settings;
  FileTree tree;
  ScriptedPrompt prompt;

  Staged() {
    settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(dir.Path()));
    tree.SetContext(&settings, nullptr);
  }
  TreeNode& Add(const char16_t* name, UpdateCondition condition = UpdateCondition::TimeStampBased) {
    FileRecord record;
    record.Type = condition;
    record.OS = OsMask::Win98 | OsMask::WinXP;
    return *tree.InsertItem(tree.AddDirectoryPath(u"<ApplicationDir>", nullptr), &record, name);
  }
  static const FileRecord& Record(const TreeNode& node) { return *FileTree::RecordOf(node); }
  std::vector<WString> ChildNames(const TreeNode& node) const {
    std::vector<WString> names;
    for (const TreeNode* child : node.children) names.push_back(child->name.str());
    return names;
  }
  void ExpectOnlyMessage(const WString& caption, const WString& text) const {
    const auto messages = prompt.Of(PromptEvent::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, caption);
    EXPECT_EQ(messages[0].text, text);
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
  }
};

FileProperties Unzipped(const FileRecord& record) {
  FileProperties chosen = FileProperties::Of(record);
  chosen.unzip = true;
  return chosen;
}

TEST(FileProperties, TheProbeTellsZipArchivesAndVersionedFiles) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Data.zip", {{"a.txt", "a"}}));
  WriteBytes(s.dir / "notes.txt", "plain");
  const FilePropertiesProbe zip = ProbeFileProperties(s.tree, s.Add(u"Data.zip"));
  EXPECT_TRUE(zip.isZip);
  EXPECT_FALSE(zip.hasVersion);
  const FilePropertiesProbe text = ProbeFileProperties(s.tree, s.Add(u"notes.txt"));
  EXPECT_FALSE(text.isZip);
  EXPECT_FALSE(text.hasVersion);
  const FilePropertiesProbe missing = ProbeFileProperties(s.tree, s.Add(u"gone.exe"));
  EXPECT_FALSE(missing.isZip);
  EXPECT_FALSE(missing.hasVersion);
  if (!fs::exists(kVersionedDll)) GTEST_SKIP() << "no PE file with a version resource here";
  fs::copy_file(kVersionedDll, s.dir / "kernel32.dll");
  EXPECT_TRUE(ProbeFileProperties(s.tree, s.Add(u"kernel32.dll")).hasVersion);
}

TEST(FileProperties, VersionBasedNeedsAVersion) {
  ScriptedPrompt prompt;
  const FilePropertiesProbe none{};
  EXPECT_TRUE(AcceptCondition(none, UpdateCondition::Unconditional, prompt));
  EXPECT_TRUE(AcceptCondition(none, UpdateCondition::TimeStampBased, prompt));
  EXPECT_TRUE(prompt.Events().empty());
  EXPECT_FALSE(AcceptCondition(none, UpdateCondition::VersionBased, prompt));
  ASSERT_EQ(prompt.Events().size(), 1u);
  EXPECT_EQ(prompt.Events()[0].caption, u"Update type");
  EXPECT_EQ(prompt.Events()[0].text, u"No version information exists for this file.");
  EXPECT_EQ(prompt.Events()[0].icon, MessageIcon::Error);
  EXPECT_TRUE(AcceptCondition({false, true}, UpdateCondition::VersionBased, prompt));
}

TEST(FileProperties, UnzipNeedsAZipArchive) {
  ScriptedPrompt prompt;
  EXPECT_TRUE(AcceptUnzip({}, false, prompt));
  EXPECT_TRUE(AcceptUnzip({true, false}, true, prompt));
  EXPECT_FALSE(AcceptUnzip({}, true, prompt));
  ASSERT_EQ(prompt.Events().size(), 1u);
  EXPECT_EQ(prompt.Events()[0].caption, u"Zip error");
  EXPECT_EQ(prompt.Events()[0].text,
            u"This file cannot be unzipped. It may not be a zip file, or the file is corrupt.");
}

TEST(FileProperties, ADoubleClickOnAnOpenArchiveOnlyOpensOrClosesIt) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Data.zip", {{"a.txt", "a"}}));
  TreeNode& archive = s.Add(u"Data.zip");
  EXPECT_TRUE(OpensFileProperties(archive, false));
  ApplyFileProperties(s.tree, archive, Unzipped(Staged::Record(archive)), s.prompt);
  EXPECT_FALSE(OpensFileProperties(archive, false));
  EXPECT_TRUE(OpensFileProperties(archive, true));
  EXPECT_FALSE(OpensFileProperties(*archive.parent, true));
}

TEST(FileProperties, UnzippingAddsTheFileEntriesInNameOrder) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Data.zip", {{"b.txt", "b"},
                                            {"a.txt", "a"},
                                            {"images/", ""},
                                            {"images/logo.bmp", "BM"},
                                            {"A.TXT", "again"}}));
  TreeNode& archive = s.Add(u"Data.zip");
  FileProperties chosen = Unzipped(Staged::Record(archive));
  chosen.condition = UpdateCondition::Unconditional;
  const FilePropertiesChange change = ApplyFileProperties(s.tree, archive, chosen, s.prompt);

  EXPECT_TRUE(s.prompt.Events().empty());
  EXPECT_EQ(change.entriesAdded, 3u);
  EXPECT_EQ(s.ChildNames(archive), (std::vector<WString>{u"a.txt", u"b.txt", u"images\\logo.bmp"}));
  EXPECT_EQ(Staged::Record(archive).Unzip, 1);
  EXPECT_EQ(Staged::Record(archive).Type, UpdateCondition::Unconditional);
  const FileRecord& entry = Staged::Record(*archive.children[2]);
  EXPECT_EQ(entry.Name, u"Data.zip<images\\logo.bmp>");
  EXPECT_EQ(entry.Src, u"zip");
  EXPECT_EQ(entry.OS, OsMask::Win98 | OsMask::WinXP);
  EXPECT_EQ(entry.Type, UpdateCondition::Unconditional);
  EXPECT_EQ(entry.Unzip, 1);
  // The first of two names equal without regard to case is the one kept.
  EXPECT_EQ(Staged::Record(*archive.children[0]).Name, u"Data.zip<a.txt>");

  WString xml;
  ASSERT_TRUE(s.tree.WriteXml(xml, XmlForm::ProjectForm));
  EXPECT_EQ(xml,
            u"\t\t<Directory Name=\"&lt;ApplicationDir&gt;\">\r\n"
            u"\t\t\t<File Name=\"Data.zip\" OS=\"18\" Action=\"unzip\" Src=\"\\\">"
            u"\t\t\t\t<File Name=\"a.txt\" OS=\"18\" Action=\"unzip\" Src=\"zip\" />\r\n"
            u"\t\t\t\t<File Name=\"b.txt\" OS=\"18\" Action=\"unzip\" Src=\"zip\" />\r\n"
            u"\t\t\t\t<File Name=\"images\\logo.bmp\" OS=\"18\" Action=\"unzip\" Src=\"zip\" />\r\n"
            u"</File>\r\n"
            u"\t\t</Directory>\r\n");
}

TEST(FileProperties, SwitchingUnzipOffRemovesTheEntries) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Data.zip", {{"a.txt", "a"}, {"b.txt", "b"}}));
  TreeNode& archive = s.Add(u"Data.zip");
  ApplyFileProperties(s.tree, archive, Unzipped(Staged::Record(archive)), s.prompt);
  ASSERT_EQ(archive.children.size(), 2u);
  FileProperties off = FileProperties::Of(Staged::Record(archive));
  off.unzip = false;
  const FilePropertiesChange change = ApplyFileProperties(s.tree, archive, off, s.prompt);
  EXPECT_EQ(change.entriesRemoved, 2u);
  EXPECT_TRUE(archive.children.empty());
  EXPECT_EQ(Staged::Record(archive).Unzip, 0);
  EXPECT_EQ(s.tree.NodeCount(), 2u);
}

TEST(FileProperties, AnArchiveOfFoldersOnlyStaysUnzippedWithoutEntries) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Dirs.zip", {{"one/", ""}, {"two/", ""}}));
  TreeNode& archive = s.Add(u"Dirs.zip");
  const FilePropertiesChange change =
      ApplyFileProperties(s.tree, archive, Unzipped(Staged::Record(archive)), s.prompt);
  EXPECT_EQ(change.entriesAdded, 0u);
  EXPECT_FALSE(change.unzipFailed);
  EXPECT_EQ(Staged::Record(archive).Unzip, 1);
  EXPECT_TRUE(s.prompt.Events().empty());
}

TEST(FileProperties, AnArchiveWhoseEntriesCannotBeReadIsNotMarkedForUnzipping) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Data.zip", {{"a.txt", "a"}, {"b.txt", "b"}}));
  // The archive's end record is intact, its first directory record is not.
  std::string bytes = testing::ReadBytes(s.dir / "Data.zip");
  testing::PutU32(bytes, testing::ReadZipLayout(bytes).centralOffset, 0);
  WriteBytes(s.dir / "Data.zip", bytes);
  TreeNode& archive = s.Add(u"Data.zip");
  const FilePropertiesChange change =
      ApplyFileProperties(s.tree, archive, Unzipped(Staged::Record(archive)), s.prompt);
  EXPECT_TRUE(change.unzipFailed);
  EXPECT_TRUE(archive.children.empty());
  EXPECT_EQ(Staged::Record(archive).Unzip, 0);
  s.ExpectOnlyMessage(u"Unzip not possible", u"Error occured trying to read zip file information.");
}

TEST(FileProperties, AnArchiveThatNoLongerOpensIsNotMarkedForUnzipping) {
  Staged s;
  ASSERT_TRUE(WriteZip(s.dir / "Data.zip", {{"a.txt", "a"}}));
  TreeNode& archive = s.Add(u"Data.zip");
  ASSERT_TRUE(ProbeFileProperties(s.tree, archive).isZip);
  WriteBytes(s.dir / "Data.zip", "no longer a zip archive");
  const FilePropertiesChange change =
      ApplyFileProperties(s.tree, archive, Unzipped(Staged::Record(archive)), s.prompt);
  EXPECT_TRUE(change.unzipFailed);
  EXPECT_TRUE(archive.children.empty());
  EXPECT_EQ(Staged::Record(archive).Unzip, 0);
  s.ExpectOnlyMessage(u"Unzip not possible",
                      u"This file cannot be unzipped. File errors may exist or it is not an "
                      u"appropriate zip format.");
}

TEST(FileProperties, TheSystemsAreRebuiltFromTheCheckBoxes) {
  Staged s;
  TreeNode& file = s.Add(u"App.exe");
  FileProperties chosen = FileProperties::Of(Staged::Record(file));
  chosen.os = 0;
  chosen.condition = UpdateCondition::Unconditional;
  ApplyFileProperties(s.tree, file, chosen, s.prompt);
  EXPECT_EQ(Staged::Record(file).OS, 0);
  EXPECT_EQ(Staged::Record(file).Type, UpdateCondition::Unconditional);
  int32_t all = 0;
  for (const OsCheckBox& box : kOsCheckBoxes) all |= box.bit;
  EXPECT_EQ(all, OsMask::All);
  EXPECT_EQ(kOsCheckBoxes.front().label, u"WinXP");
}

}  // namespace
}  // namespace tidewell
