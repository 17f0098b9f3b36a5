#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "files/DirectoryComparison.h"
#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "files/TreePath.h"
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

const fs::file_time_type kOldTime = fs::file_time_type::clock::now() - std::chrono::hours(48);

void WriteAt(const fs::path& file, fs::file_time_type time) {
  WriteBytes(file, "bytes");
  fs::last_write_time(file, time);
}

// An old and a new version of a product side by side; the base update
// directory is the new version.
struct Versions {
  TempDir dir;
  fs::path oldRoot = dir / "old";
  fs::path newRoot = dir / "new";
  ProjectSettings settings;
  FileTree tree;
  ScriptedPrompt prompt;
  ComparisonReport report;

  Versions() {
    fs::create_directories(oldRoot);
    fs::create_directories(newRoot);
    settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(newRoot));
    tree.SetContext(&settings, nullptr);
  }
  bool Compare(long long count = 0) {
    return CompareDirectories(settings, tree, text::FromPath(oldRoot), text::FromPath(newRoot),
                              count, prompt, &report);
  }
  const FileRecord* Record(std::u16string_view path) const {
    const TreeNode* node = FindNodeByPath(tree, path);
    return node ? FileTree::RecordOf(*node) : nullptr;
  }
  size_t Questions() const { return prompt.Of(PromptEvent::Kind::Question).size(); }
};

TEST(CompareDirectories, OnlyNewerOrMissingFilesAreTaken) {
  Versions v;
  WriteAt(v.oldRoot / "same.exe", kOldTime);
  WriteAt(v.newRoot / "same.exe", kOldTime);
  WriteAt(v.oldRoot / "newer.exe", kOldTime);
  WriteAt(v.newRoot / "newer.exe", kOldTime + std::chrono::seconds(1));
  WriteAt(v.oldRoot / "older.exe", kOldTime);
  WriteAt(v.newRoot / "older.exe", kOldTime - std::chrono::seconds(5));
  WriteAt(v.newRoot / "added.dll", kOldTime);
  WriteAt(v.oldRoot / "removed.dll", kOldTime);  // only in the old version: ignored
  WriteAt(v.oldRoot / "bin" / "tool.exe", kOldTime);
  WriteAt(v.newRoot / "bin" / "tool.exe", kOldTime + std::chrono::hours(1));
  WriteAt(v.newRoot / "bin" / "lib" / "deep.dll", kOldTime);

  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.report.filesAdded, 4u);
  EXPECT_EQ(v.report.filesUnchanged, 2u);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\same.exe"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\older.exe"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\removed.dll"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\newer.exe"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\newer.exe")->Src, u"\\");
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\added.dll")->Type, UpdateCondition::TimeStampBased);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\bin\\tool.exe"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\bin\\tool.exe")->Src, u"\\bin\\");
  ASSERT_NE(v.Record(u"<ApplicationDir>\\bin\\lib\\deep.dll"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\bin\\lib\\deep.dll")->Src, u"\\bin\\lib\\");
  EXPECT_EQ(v.Questions(), 0u);
}

TEST(CompareDirectories, NothingIsRemovedAndPresentNamesAreSkipped) {
  Versions v;
  FileRecord kept;
  v.tree.InsertItem(v.tree.AddDirectoryPath(u"<ApplicationDir>", nullptr), &kept, u"Kept.txt");
  v.tree.InsertItem(v.tree.AddDirectoryPath(u"<WinDir>", nullptr), &kept, u"other.txt");
  WriteAt(v.newRoot / "KEPT.TXT", kOldTime);
  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.report.duplicates, 1u);
  EXPECT_EQ(v.tree.NodeCount(), 4u);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\Kept.txt")->Name, u"Kept.txt");
}

TEST(CompareDirectories, TheQuestionComesAtOneHundredAndTwoHundredEntries) {
  Versions v;
  // A chain of ten directories, each holding only the next, then 218 files:
  // 3 entries per level plus "." and ".." of the last make 250 along the path.
  fs::path leaf = v.newRoot;
  for (int level = 1; level <= 10; ++level) leaf /= "d" + std::to_string(level);
  for (int i = 0; i < 218; ++i) WriteAt(leaf / ("f" + std::to_string(i)), kOldTime);
  v.prompt.QueueAnswer(Answer::Yes);
  v.prompt.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(v.Compare());
  const auto questions = v.prompt.Of(PromptEvent::Kind::Question);
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0].caption, u"Long operation time-out");
  EXPECT_EQ(questions[0].text,
            u"The directories used have a lot of files. Do you still wish to continue");
  EXPECT_EQ(questions[0].buttons, Buttons::YesNo);
  EXPECT_EQ(questions[0].icon, MessageIcon::Question);
  EXPECT_EQ(v.report.filesAdded, 218u);
}

TEST(CompareDirectories, NoEndsTheWholeComparisonKeepingWhatWasAdded) {
  Versions v;
  for (int i = 0; i < 150; ++i) WriteAt(v.newRoot / ("f" + std::to_string(i)), kOldTime);
  v.prompt.QueueAnswer(Answer::No);
  EXPECT_FALSE(v.Compare());
  // "." and ".." are entries 1 and 2; files are entries 3 to 99.
  EXPECT_EQ(v.report.filesAdded, 97u);
  EXPECT_EQ(v.tree.NodeCount(), 98u);
}

TEST(CompareDirectories, TheCountIsPassedDownByValue) {
  Versions v;
  // 124 entries in all, but no directory's count reaches 100: each
  // sub-directory continues from its parent's count (3 or 4) and its own
  // 62 entries are not added back to the parent.
  for (int i = 0; i < 60; ++i) {
    WriteAt(v.newRoot / "a" / ("f" + std::to_string(i)), kOldTime);
    WriteAt(v.newRoot / "b" / ("f" + std::to_string(i)), kOldTime);
  }
  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.Questions(), 0u);
  EXPECT_EQ(v.report.filesAdded, 120u);

  // Starting from 97, "." and ".." make 99, the first file entry asks.
  Versions w;
  WriteAt(w.newRoot / "only.exe", kOldTime);
  w.prompt.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(w.Compare(97));
  EXPECT_EQ(w.Questions(), 1u);
}

TEST(CompareDirectories, AMissingNewDirectoryContributesNothing) {
  Versions v;
  fs::remove(v.newRoot);
  EXPECT_TRUE(v.Compare());
  EXPECT_TRUE(v.tree.Empty());
  EXPECT_TRUE(v.prompt.Events().empty());
}

TEST(CompareDirectories, ARefusedBaseEndsTheComparison) {
  Versions v;
  v.settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(v.dir / "elsewhere"));
  WriteAt(v.newRoot / "a.exe", kOldTime);
  WriteAt(v.newRoot / "b.exe", kOldTime);
  v.prompt.QueueAnswer(Answer::No);
  EXPECT_FALSE(v.Compare());
  EXPECT_TRUE(v.tree.Empty());
  const auto questions = v.prompt.Of(PromptEvent::Kind::Question);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0].caption, u"Incorrect update directory set");
}

TEST(CompareDirectories, WithNoBaseTheNewVersionBecomesItOnce) {
  Versions v;
  v.settings.SetSetting(SettingKey::UpdateFilesDir, u"");
  WriteAt(v.newRoot / "a.exe", kOldTime);
  WriteAt(v.newRoot / "b.exe", kOldTime);
  WriteAt(v.newRoot / "sub" / "c.exe", kOldTime);
  v.prompt.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.Questions(), 1u);
  EXPECT_EQ(v.settings.GetSetting(SettingKey::UpdateFilesDir), text::FromPath(v.newRoot));
  ASSERT_NE(v.Record(u"<ApplicationDir>\\sub\\c.exe"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\sub\\c.exe")->Src, u"\\sub\\");
}

// A base set elsewhere moves once, to the new version's own folder, however
// the folders are listed; nothing taken is lost and the count is what the
// tree holds.
TEST(CompareDirectories, ABaseElsewhereMovesOnceToTheNewVersion) {
  Versions v;
  v.settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(v.dir / "elsewhere"));
  WriteAt(v.newRoot / "b.txt", kOldTime);
  WriteAt(v.newRoot / "d2" / "a.txt", kOldTime);
  WriteAt(v.newRoot / "d3" / "deep" / "c.txt", kOldTime);
  v.prompt.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(v.Compare());
  const auto questions = v.prompt.Of(PromptEvent::Kind::Question);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].text.find(text::FromPath(v.newRoot)), WString::npos);
  EXPECT_EQ(v.settings.GetSetting(SettingKey::UpdateFilesDir), text::FromPath(v.newRoot));
  EXPECT_EQ(v.report.filesAdded, 3u);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\b.txt"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\d2\\a.txt"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\d3\\deep\\c.txt"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\d3\\deep\\c.txt")->Src, u"\\d3\\deep\\");
}

// A base inside the new version takes the files below it without a question;
// the first file outside it moves the base to the new version, and the files
// taken before go back into the emptied tree under their new Src.
TEST(CompareDirectories, FilesTakenBeforeTheBaseMovesAreKept) {
  Versions v;
  v.settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(v.newRoot / "d2"));
  FileRecord earlier;
  earlier.Src = u"\\";
  v.tree.InsertItem(v.tree.AddDirectoryPath(u"<ApplicationDir>", nullptr), &earlier, u"earlier.txt");
  WriteAt(v.newRoot / "d2" / "a.txt", kOldTime);
  WriteAt(v.newRoot / "d2" / "e.txt", kOldTime);
  WriteAt(v.newRoot / "b.txt", kOldTime);
  v.prompt.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.Questions(), 1u);
  EXPECT_EQ(v.settings.GetSetting(SettingKey::UpdateFilesDir), text::FromPath(v.newRoot));
  EXPECT_EQ(v.report.filesAdded, 3u);
  // The move empties the tree of what was there before the comparison.
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\earlier.txt"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\b.txt"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\d2\\a.txt"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\d2\\e.txt"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\d2\\a.txt")->Src, u"\\d2\\");
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\b.txt")->Src, u"\\");
}

TEST(CompareDirectories, NamesWindowsCannotHoldAreLeftOutWithAWarning) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kNamesWindowsCannotCreate;
#endif
  Versions v;
  WriteAt(v.newRoot / "a\\b" / "f.txt", kOldTime);
  WriteAt(v.newRoot / "<z>.txt", kOldTime);
  WriteAt(v.newRoot / "ok" / "g.txt", kOldTime);
  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.report.filesAdded, 1u);
  EXPECT_EQ(v.report.leftOut, 2u);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\ok\\g.txt"), nullptr);
  EXPECT_EQ(v.tree.NodeCount(), 3u);
  const auto messages = v.prompt.Of(PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, u"Files left out");
  EXPECT_EQ(messages[0].text.substr(0, 37), u"2 file(s) or folder(s) were left out:");
}

TEST(CompareDirectories, ABaseEndingInASeparatorHoldsTheNewVersion) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Versions v;
  v.settings.SetSetting(SettingKey::UpdateFilesDir, text::FromPath(v.newRoot) + u"/");
  WriteAt(v.newRoot / "a.exe", kOldTime);
  WriteAt(v.newRoot / "bin" / "b.exe", kOldTime);
  EXPECT_TRUE(v.Compare());
  EXPECT_EQ(v.Questions(), 0u);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\a.exe"), nullptr);
  ASSERT_NE(v.Record(u"<ApplicationDir>\\bin\\b.exe"), nullptr);
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\a.exe")->Src, u"\\");
  EXPECT_EQ(v.Record(u"<ApplicationDir>\\bin\\b.exe")->Src, u"\\bin\\");
}

TEST(CompareDirectories, ALinkBackIntoTheWalkIsNotFollowed) {
  Versions v;
  WriteAt(v.newRoot / "sub" / "a.exe", kOldTime);
  std::error_code ec;
  fs::create_directory_symlink(v.newRoot, v.newRoot / "sub" / "loop", ec);
  if (ec) GTEST_SKIP() << "symbolic links are not available here";
  fs::create_directory_symlink(v.newRoot / "sub", v.dir / "outside", ec);
  fs::create_directory_symlink(v.dir / "outside", v.newRoot / "via", ec);
  v.prompt.QueueAnswer(Answer::Yes);  // in case the walk ran long
  EXPECT_TRUE(v.Compare());
  EXPECT_NE(v.Record(u"<ApplicationDir>\\sub\\a.exe"), nullptr);
  // "via" leads to sub through a link outside the walk: walked once, not again.
  EXPECT_NE(v.Record(u"<ApplicationDir>\\via\\a.exe"), nullptr);
  EXPECT_EQ(v.report.filesAdded, 2u);
}

TEST(AutoCompare, BothDirectoriesAreRequiredOldFirst) {
  ScriptedPrompt prompt;
  EXPECT_FALSE(ValidateAutoCompare(u"", u"", prompt));
  EXPECT_FALSE(ValidateAutoCompare(u"/old", u"", prompt));
  EXPECT_TRUE(ValidateAutoCompare(u"/old", u"/new", prompt));
  const auto balloons = prompt.Of(PromptEvent::Kind::Balloon);
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[0].field, kOldVersionBrowseField);
  EXPECT_EQ(balloons[0].caption, u"Invalid parameters");
  EXPECT_EQ(balloons[0].text,
            u"No directory is selected. Click and select the directory containing the existing "
            u"version of your product.");
  EXPECT_EQ(balloons[1].field, kLatestVersionBrowseField);
  EXPECT_EQ(balloons[1].text,
            u"No directory is selected. Click and select the directory containing the latest "
            u"(current) version of your product.");
}

TEST(AutoCompare, RunsWithTheWaitCursor) {
  Versions v;
  WriteAt(v.newRoot / "a.exe", kOldTime);
  EXPECT_TRUE(AutoCompare(v.settings, v.tree, text::FromPath(v.oldRoot), text::FromPath(v.newRoot),
                          v.prompt, &v.report));
  EXPECT_EQ(v.report.filesAdded, 1u);
  EXPECT_EQ(v.prompt.BusyDepth(), 0);
}

}  // namespace
}  // namespace tidewell
