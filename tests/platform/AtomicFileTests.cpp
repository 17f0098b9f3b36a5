#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "pe/FileWriter.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::FileSizeLimit;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

mode_t ModeOf(const fs::path& file) {
  struct stat st {};
  EXPECT_EQ(::stat(file.c_str(), &st), 0);
  return st.st_mode & 07777;
}

// The number of a process that has ended.
int EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(AtomicFile, ReplacementKeepsTheModeOfTheFileItReplaces) {
  for (const mode_t mode : {0600, 0640, 0755, 0604, 0620}) {
    TempDir dir;
    const fs::path target = dir / "Settings.xml";
    WriteBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), mode), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, "new", &error)) << error;
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(ModeOf(target), mode) << std::oct << mode;
  }
}

TEST(AtomicFile, ReplacementKeepsOwnerAndGroupWhereTheyMayBeSet) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser may give a file to another owner";
  TempDir dir;
  const fs::path target = dir / "Update.xml";
  WriteBytes(target, "old");
  ASSERT_EQ(::chown(target.c_str(), 4321, 8765), 0);
  ASSERT_TRUE(WriteFileAtomically(target, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 8765u);
}

TEST(AtomicFile, LinksAreWrittenThroughToTheFileTheyLeadTo) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link -> what it holds
    const char* file;                                         // where the content ends up
    bool exists;
  };
  const std::vector<Case> cases = {
      {"relative link", {{"Settings.xml", "real/Settings.xml"}}, "real/Settings.xml", true},
      {"chain of links", {{"Settings.xml", "one.xml"}, {"one.xml", "real/two.xml"}},
       "real/two.xml", true},
      {"link to a file not yet made", {{"Settings.xml", "real/later.xml"}}, "real/later.xml", false},
  };
  for (const Case& c : cases) {
    TempDir dir;
    fs::create_directories(dir / "real");
    if (c.exists) WriteBytes(dir / c.file, "old");
    for (const auto& [link, to] : c.links) fs::create_symlink(to, dir / link);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir / "Settings.xml", "new", &error)) << c.name << ": " << error;
    EXPECT_EQ(ReadBytes(dir / c.file), "new") << c.name;
    for (const auto& [link, to] : c.links)
      EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / link))) << c.name << ": " << link;
  }
}

TEST(AtomicFile, TargetsThatMayNotBeReplacedAreRefusedUntouched) {
  TempDir dir;
  const fs::path readOnly = dir / "ReadOnly.xml";
  WriteBytes(readOnly, "kept");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  const fs::path fifo = dir / "Fifo.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const fs::path folder = dir / "Folder.xml";
  fs::create_directory(folder);
  fs::create_symlink("ReadOnly.xml", dir / "Link.xml");

  const std::vector<std::pair<fs::path, std::string>> cases = {
      {readOnly, "cannot write " + readOnly.string() + ": the file is read-only"},
      {dir / "Link.xml", "cannot write " + readOnly.string() + ": the file is read-only"},
      {fifo, "cannot write " + fifo.string() + ": it is not a regular file"},
      {folder, "cannot write " + folder.string() + ": it is not a regular file"},
      {dir / "missing" / "x.xml", ""},
  };
  for (const auto& [target, message] : cases) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target, "new", &error)) << target;
    if (!message.empty()) EXPECT_EQ(error, message);
    else EXPECT_NE(error, "");
  }
  EXPECT_EQ(ReadBytes(readOnly), "kept");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Entries(dir.Path()),
            (std::set<std::string>{"Fifo.xml", "Folder.xml", "Link.xml", "ReadOnly.xml"}));
}

TEST(AtomicFile, AFileTheUserMayNotWriteIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  TempDir dir;
  const fs::path target = dir / "Settings.xml";
  WriteBytes(target, "kept");
  ASSERT_EQ(::chmod(target.c_str(), 0064), 0);  // others may write, its owner may not
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(target, "new", &error));
  EXPECT_EQ(error, "cannot write " + target.string() + ": Permission denied");
  ::chmod(target.c_str(), 0644);
  EXPECT_EQ(ReadBytes(target), "kept");
}

TEST(AtomicFile, TheNextWriteRemovesWhatKilledWritersOfTheSameFileLeft) {
  TempDir dir;
  const fs::path target = dir / "Settings.xml";
  WriteBytes(target, "old");
  const std::string dead = std::to_string(EndedProcess());
  const std::set<std::string> stale = {".Settings.xml.tidewell-" + dead + "-0.tmp",
                                       "Settings.xml.tmp-123456789-4"};
  // Kept: a live process's temporary (process 1 always runs), another file's
  // temporaries, and names that only look alike.
  const std::set<std::string> kept = {".Settings.xml.tidewell-1-0.tmp",
                                      ".Other.xml.tidewell-" + dead + "-0.tmp",
                                      "Settings.xml.tmp-notes", ".Settings.xml.tidewell-x-1.tmp"};
  for (const auto& name : stale) WriteBytes(dir / name, "stale");
  for (const auto& name : kept) WriteBytes(dir / name, "kept");
  ASSERT_TRUE(WriteFileAtomically(target, "new"));
  std::set<std::string> expected = kept;
  expected.insert("Settings.xml");
  EXPECT_EQ(Entries(dir.Path()), expected);
}

TEST(AtomicFile, AWriterKilledMidwayLeavesNothingAfterTheNextWrite) {
  TempDir dir;
  const fs::path target = dir / "Client.exe";
  WriteBytes(target, "old");
  const pid_t child = ::fork();
  if (child == 0) {
    ReplaceFileAtomically(target, [](const fs::path& temporary) {
      WriteBytes(temporary, std::string(1 << 16, 'x'));
      ::raise(SIGKILL);
      return true;
    });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadBytes(target), "old");
  // Where the folder takes unnamed files, the killed writer left nothing at all.
  const int probe = ::open(dir.Path().c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (probe >= 0) {
    ::close(probe);
    EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"Client.exe"});
  }
  ASSERT_TRUE(WriteFileAtomically(target, "new"));
  EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"Client.exe"});
  EXPECT_EQ(ReadBytes(target), "new");
}

TEST(AtomicFile, AFailedWriteNamesTheFileAndTheSystemsReason) {
  TempDir dir;
  const fs::path target = dir / "Update.xml";
  WriteBytes(target, "old");
  std::string error;
  {
    FileSizeLimit limit(4096);
    EXPECT_FALSE(WriteFileAtomically(target, std::string(100000, 'x'), &error));
  }
  EXPECT_EQ(error, "could not write " + target.string() + ": File too large");
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(Entries(dir.Path()), std::set<std::string>{"Update.xml"});
}

TEST(FileWriter, AFullDiskIsReportedWithItsReason) {
  std::string error;
  auto writer = pe::FileWriter::Create("/dev/full", "/dev/null", &error);
  ASSERT_TRUE(writer) << error;
  const std::vector<uint8_t> bytes(1 << 16, 0x5A);
  EXPECT_FALSE(writer->Write(bytes));
  EXPECT_EQ(writer->Failure(), "could not write /dev/full: No space left on device");
}

}  // namespace
}  // namespace tidewell
