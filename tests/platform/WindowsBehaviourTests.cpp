// What the Windows build does through the Windows API: file times and sizes,
// long paths, a target held open by another program, programs started by the
// shell, the tool folder, and base directories with drive letters and UNC
// names compared without regard to case.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "build/HostProcessStarter.h"
#include "build/ToolFolder.h"
#include "files/FileSelection.h"
#include "files/FileStatus.h"
#include "files/FileTree.h"
#include "platform/AtomicFile.h"
#include "platform/HostPath.h"
#include "platform/WindowsPath.h"
#include "project/ProjectSettings.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

bool SetWriteTime(const fs::path& file, FileTime time) {
  const HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME ft{static_cast<DWORD>(time & 0xFFFFFFFFu), static_cast<DWORD>(time >> 32)};
  const bool set = SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  return set;
}

TEST(WindowsFileStatus, WriteTimeKeepsItsHundredNanosecondUnits) {
  TempDir dir;
  const fs::path file = dir / "App.exe";
  WriteBytes(file, std::string(70000, 'a'));
  // 2004-06-05 09:07:31.1234567 UTC and a time before 1970.
  for (const FileTime time : {FileTime{127308832511234567ull}, FileTime{116444735995000001ull}}) {
    ASSERT_TRUE(SetWriteTime(file, time));
    const auto status = ReadFileStatus(text::FromPath(file));
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->size, 70000u);
    EXPECT_EQ(status->lastWrite, time);
  }
}

TEST(WindowsFileStatus, FoldersDevicesAndMissingFilesHaveNoStatus) {
  TempDir dir;
  for (const WString& path : {text::FromPath(dir.Path()), WString(u"NUL"), text::FromPath(dir / "missing.exe")})
    EXPECT_FALSE(ReadFileStatus(path).has_value()) << text::ToUtf8(path);
}

TEST(WindowsFileStatus, PathsLongerThanMaxPathAreMeasured) {
  TempDir dir;
  fs::path folder = dir.Path();
  for (int i = 0; i < 4; ++i) folder /= std::wstring(80, static_cast<wchar_t>(L'a' + i));
  const std::wstring extended = ExtendedLengthPath(folder.wstring());
  ASSERT_TRUE(extended.starts_with(L"\\\\?\\"));
  ASSERT_TRUE(fs::create_directories(fs::path(extended)));
  const fs::path file = folder / "Data.zip";
  WriteBytes(fs::path(ExtendedLengthPath(file.wstring())), "12345");
  ASSERT_GT(file.wstring().size(), 300u);

  const auto status = ReadFileStatus(text::FromPath(file));
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->size, 5u);
}

TEST(WindowsAtomicFile, TargetHeldOpenByAnotherProgramStaysIntact) {
  TempDir dir;
  const fs::path target = dir / "Tidewatcher.exe";
  WriteBytes(target, "previous client");
  // Another program has the client open and shares neither writing nor deleting.
  const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string error;
  const bool written = WriteFileAtomically(target, "new client", &error);
  CloseHandle(held);

  EXPECT_FALSE(written);
  EXPECT_NE(error.find("Tidewatcher.exe"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(target), "previous client");
  int left = 0;
  for (const auto& entry : fs::directory_iterator(dir.Path())) left += entry.path() != target;
  EXPECT_EQ(left, 0) << "a temporary file was left behind";

  // Once the other program lets go, the same write goes through.
  EXPECT_TRUE(WriteFileAtomically(target, "new client", &error)) << error;
  EXPECT_EQ(ReadBytes(target), "new client");
}

TEST(WindowsToolFolder, IsTheFolderOfTheRunningModule) {
  // The tests run from the folder the tool is built into.
  const WString expected = text::FromPath(fs::path(TIDEWELL_BIN_DIR).lexically_normal());
  const WString folder = RunningToolFolder();
  EXPECT_TRUE(text::HostPathsEqual(text::ReplaceAll(folder, u"/", u"\\"), text::ReplaceAll(expected, u"/", u"\\")))
      << text::ToUtf8(folder) << " vs " << text::ToUtf8(expected);
  EXPECT_EQ(StubPath(folder), folder + u"\\Tidewatch.exe");
  EXPECT_EQ(MainPictureFolder(folder + u"\\"), folder + u"\\Graphics\\Main Picture");
}

TEST(WindowsProcessStart, ShellStartsTheProgramWithArgumentsKeptWhole) {
  TempDir dir;
  const fs::path project = dir / "My Projects" / "Log book";
  fs::create_directories(project.parent_path());
  HostProcessStarter starter;
  const WString cli = text::FromPath(fs::path(TIDEWELL_BIN_DIR) / "tidewell-cli.exe");
  ASSERT_TRUE(starter.Start({cli, {u"new", text::FromPath(project), u"--name", u"Log book"}, text::FromPath(dir.Path())}));
  // The program runs on its own; wait for what it writes.
  const fs::path settings = project / "Settings.xml";
  for (int i = 0; i < 300 && !fs::exists(settings); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(fs::exists(settings));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_NE(ReadBytes(settings).find("<ProjName>Log book</ProjName>"), std::string::npos);

  EXPECT_FALSE(starter.Start({text::FromPath(dir / "missing.exe"), {}, {}}));
}

TEST(WindowsProcessStart, FindsSystemProgramsOnTheSearchPath) {
  HostProcessStarter starter;
  const auto cmd = starter.FindProgram(u"cmd");
  ASSERT_TRUE(cmd.has_value());
  EXPECT_TRUE(text::EqualsNoCase(fs::path(text::ToPath(*cmd)).filename().u16string(), u"cmd.exe"));
  EXPECT_FALSE(starter.FindProgram(u"no-such-program-here").has_value());
}

TEST(WindowsBaseDirectory, DriveLettersAndUncNamesCompareWithoutRegardToCase) {
  const struct {
    const char16_t* base;
    const char16_t* directory;
    bool inside;
    const char16_t* src;
  } cases[] = {
      {u"C:\\Stage", u"c:\\STAGE\\bin", true, u"\\bin\\"},
      {u"C:\\Stage\\", u"C:\\stage", true, u"\\"},
      {u"\\\\Server\\Share\\Stage", u"\\\\SERVER\\share\\stage\\Data\\Sub", true, u"\\Data\\Sub\\"},
      {u"C:\\Stage", u"D:\\Stage\\bin", false, nullptr},
      {u"\\\\Server\\Share\\Stage", u"\\\\Server\\Other\\Stage", false, nullptr},
      {u"C:\\Stage", u"C:\\Stagehand", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.directory));
    ProjectSettings settings;
    settings.SetSetting(SettingKey::UpdateFilesDir, c.base);
    FileTree tree;
    tree.SetContext(&settings, nullptr);
    testing::ScriptedPrompt prompt;
    prompt.QueueAnswer(Answer::No);  // keep the base when asked to move it
    WString directory = c.directory;
    EXPECT_EQ(CheckBaseDirectory(settings, tree, directory, false, prompt), c.inside);
    if (c.inside) {
      EXPECT_EQ(directory, c.src);
      EXPECT_EQ(prompt.PendingAnswers(), 1u) << "nothing should have been asked";
    }
    EXPECT_EQ(settings.GetSetting(SettingKey::UpdateFilesDir), c.base);
  }
}

TEST(WindowsHostPaths, AbsoluteFormsKeepNetworkAndDevicePaths) {
  const fs::path current = fs::current_path();
  const std::wstring drive = current.wstring().substr(0, 2);
  const struct {
    std::wstring path;
    std::wstring absolute;
  } cases[] = {
      {L"\\\\fileserver\\share\\Proj\\Settings.xml", L"\\\\fileserver\\share\\Proj\\Settings.xml"},
      {L"//fileserver/share/Proj/../Other", L"\\\\fileserver\\share\\Other"},
      {L"\\\\?\\C:\\Proj\\Settings.xml", L"\\\\?\\C:\\Proj\\Settings.xml"},
      {L"Z:/path/./to/../Settings.xml", L"Z:\\path\\Settings.xml"},
      {L"\\Proj\\Settings.xml", drive + L"\\Proj\\Settings.xml"},
      {L"Settings.xml", (current / L"Settings.xml").wstring()},
  };
  for (const auto& c : cases) EXPECT_EQ(AbsolutePath(c.path).wstring(), c.absolute) << c.path;
}

TEST(WindowsHostPaths, JoiningKeepsTheNetworkAndDevicePrefix) {
  EXPECT_EQ(text::JoinHostPath(u"\\\\server\\share\\Proj\\", u"Settings.xml"),
            u"\\\\server\\share\\Proj\\Settings.xml");
  EXPECT_EQ(text::JoinHostPath(u"\\\\?\\C:\\Proj", u"Settings.xml"), u"\\\\?\\C:\\Proj\\Settings.xml");
  EXPECT_EQ(text::ReduceDoubleSeparators(u"C:\\\\Proj\\\\Settings.xml"), u"C:\\Proj\\Settings.xml");
}

TEST(WindowsHostPaths, LongFoldersAndFilesAreWrittenThroughTheExtendedForm) {
  TempDir dir;
  fs::path folder = dir.Path();
  while (folder.native().size() < 300) folder /= std::wstring(60, L'f');
  const fs::path file = folder / L"Settings.xml";
  ASSERT_TRUE(SystemPath(folder).wstring().starts_with(L"\\\\?\\"));
  std::error_code ec;
  ASSERT_TRUE(fs::create_directories(SystemPath(folder), ec)) << ec.message();
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(file, "first", &error)) << error;
  ASSERT_TRUE(WriteFileAtomically(file, "second", &error)) << error;
  EXPECT_EQ(ReadBytes(SystemPath(file)), "second");
  EXPECT_EQ(ExtendedLengthPath(L"C:\\" + std::wstring(250, L'a')).substr(0, 4), L"\\\\?\\");
}

}  // namespace
}  // namespace tidewell
