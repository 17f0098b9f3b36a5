#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "support/HostOnly.h"
#include "files/FileInfo.h"
#include "files/TimeZoneScope.h"
#include "files/ZipFixture.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using namespace std::chrono;
using testing::PackDosDateTime;
using testing::TempDir;
using testing::TimeZoneScope;

constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kPeCorpus = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/";
constexpr const char* kPython = "/usr/bin/python3";

WString W(const std::filesystem::path& path) { return text::FromPath(path); }

WString ServerForm(int y, int mo, int d, int h, int mi, int s) {
  const uint32_t date = static_cast<uint32_t>(((y - 1980) << 9) | (mo << 5) | d);
  const uint32_t time = static_cast<uint32_t>((h << 11) | (mi << 5) | (s / 2));
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", date * 65536 + time);
  return text::FromUtf8(buf);
}

void SetLastWrite(const std::filesystem::path& file, sys_time<nanoseconds> utc) {
  std::filesystem::last_write_time(file, file_clock::from_sys(utc));
}

struct Measured {
  bool ok = false;
  WString value = u"untouched";
  int32_t size = -7;
};

Measured Read(const WString& path, UpdateCondition condition, bool display) {
  Measured m;
  m.ok = ReadFileInfo(path, m.value, m.size, condition, display);
  return m;
}

// The file version "major.minor" that python3-pefile reads from a PE file,
// "none" when it finds no version resource, empty when it cannot run.
std::string PefileVersion(const std::filesystem::path& file) {
  const std::string script =
      "import sys, pefile\n"
      "pe = pefile.PE(sys.argv[1], fast_load=True)\n"
      "pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["
      "'IMAGE_DIRECTORY_ENTRY_RESOURCE']])\n"
      "info = getattr(pe, 'VS_FIXEDFILEINFO', None)\n"
      "if not info: print('none')\n"
      "else:\n"
      "  ms, ls = info[0].FileVersionMS, info[0].FileVersionLS\n"
      "  print('%d.%d.%d.%d' % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))\n";
  // A folder of this process's own: test processes running side by side
  // would otherwise rewrite one another's script while it runs.
  static const TempDir scripts;
  const auto scriptFile = scripts / "pefile-version.py";
  testing::WriteBytes(scriptFile, script);
  const std::string command =
      std::string(kPython) + " " + scriptFile.string() + " '" + file.string() + "' 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[128];
    while (fgets(buf, sizeof buf, pipe)) out += buf;
    if (pclose(pipe) != 0) out.clear();
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string MajorMinor(const std::string& fourPart) {
  const size_t second = fourPart.find('.', fourPart.find('.') + 1);
  return fourPart.substr(0, second);
}

bool HavePeTools() {
  return std::filesystem::exists(std::string(kPeCorpus) + "kernel32.dll") &&
         PefileVersion(std::string(kPeCorpus) + "lz32.dll") == "5.1.2600.2180";
}

class MeasureTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(MeasureTest, PlainFileTimeStampIsItsLastWriteTimeInUtc) {
  const auto file = dir_ / "App.exe";
  testing::WriteBytes(file, std::string(40960, 'a'));
  SetLastWrite(file, sys_days{year{2004} / 6 / 5} + 9h + 7min + 31s + 500ms);

  // Local time plays no part for files on disk.
  for (const char* zone : {"UTC0", kBerlin}) {
    SCOPED_TRACE(zone);
    TimeZoneScope tz(zone);
    const auto server = Read(W(file), UpdateCondition::TimeStampBased, false);
    EXPECT_TRUE(server.ok);
    // 120 seconds earlier is 09:05:31.5, whose DOS seconds are cut to 30.
    EXPECT_EQ(server.value, ServerForm(2004, 6, 5, 9, 5, 30));
    EXPECT_EQ(server.size, 40960);
    const auto display = Read(W(file), UpdateCondition::TimeStampBased, true);
    EXPECT_TRUE(display.ok);
    EXPECT_EQ(display.value, u"5 June 2004, 09:07");
  }
}

TEST_F(MeasureTest, TimeStampsWithoutAServerFormFailTheMeasurement) {
  struct Case {
    const char* what;
    sys_time<nanoseconds> written;
    bool serverOk;
    const char16_t* display;
  };
  const Case cases[] = {
      {"1975, before DOS dates", sys_days{year{1975} / 3 / 1} + 8h, false, u"1 Mar 1975, 08:00"},
      {"less than two minutes into 1980", sys_days{year{1980} / 1 / 1} + 1min + 59s, false,
       u"1 Jan 1980, 00:01"},
      {"two minutes into 1980", sys_days{year{1980} / 1 / 1} + 2min, true, u"1 Jan 1980, 00:02"},
      {"2110, after DOS dates", sys_days{year{2110} / 1 / 1}, false, u"1 Jan 2110, 00:00"},
  };
  const auto file = dir_ / "old.txt";
  testing::WriteBytes(file, "x");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastWrite(file, c.written);
    const auto server = Read(W(file), UpdateCondition::TimeStampBased, false);
    EXPECT_EQ(server.ok, c.serverOk);
    if (!c.serverOk) {
      EXPECT_EQ(server.value, u"untouched");
    }
    const auto display = Read(W(file), UpdateCondition::TimeStampBased, true);
    EXPECT_TRUE(display.ok);
    EXPECT_EQ(display.value, c.display);
  }
}

TEST_F(MeasureTest, WhatIsNotARegularFileFailsAndLeavesTheOutputsAlone) {
  testing::WriteBytes(dir_ / "a.txt", "abc");
  std::filesystem::create_directory(dir_ / "folder");
#ifdef _WIN32
  // Windows has no named pipes in the file system: a device name stands in.
  const WString pipe = W(dir_ / "NUL");
#else
  ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  const WString pipe = W(dir_ / "pipe");
#endif
  const WString paths[] = {
      W(dir_ / "missing.txt"), W(dir_ / "folder"), pipe,
      W(dir_ / "*.txt"),  // no wildcards
      W(dir_ / "a?txt"),  u"",
  };
  for (const auto& path : paths) {
    for (auto condition : {UpdateCondition::Unconditional, UpdateCondition::TimeStampBased,
                           UpdateCondition::VersionBased}) {
      SCOPED_TRACE(text::ToUtf8(path) + " condition " + std::to_string(static_cast<int>(condition)));
      const auto m = Read(path, condition, false);
      EXPECT_FALSE(m.ok);
      EXPECT_EQ(m.value, u"untouched");
      EXPECT_EQ(m.size, -7);
    }
  }
}

TEST_F(MeasureTest, UnconditionalSucceedsForAnyExistingFileAndKeepsTheValue) {
  const auto file = dir_ / "notes.txt";
  testing::WriteBytes(file, std::string(1234, 'n'));
  const auto m = Read(W(file), UpdateCondition::Unconditional, false);
  EXPECT_TRUE(m.ok);
  EXPECT_EQ(m.value, u"untouched");
  EXPECT_EQ(m.size, 1234);
}

TEST_F(MeasureTest, VersionOfRealExecutablesIsMajorDotMinor) {
  if (!HavePeTools()) GTEST_SKIP() << "needs the wine PE corpus and python3-pefile";
  for (const char* name : {"kernel32.dll", "shell32.dll", "user32.dll", "msvcrt.dll", "ntdll.dll",
                           "lz32.dll", "notepad.exe", "cmd.exe"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path file = std::string(kPeCorpus) + name;
    const std::string expected = PefileVersion(file);
    ASSERT_FALSE(expected.empty());
    const auto m = Read(W(file), UpdateCondition::VersionBased, false);
    if (expected == "none") {
      EXPECT_FALSE(m.ok);
      EXPECT_EQ(m.value, u"untouched");
    } else {
      EXPECT_TRUE(m.ok);
      EXPECT_EQ(m.value, text::FromUtf8(MajorMinor(expected)));
      EXPECT_EQ(m.size, static_cast<int32_t>(std::filesystem::file_size(file)));
    }
  }
}

TEST_F(MeasureTest, VersionShowsOnlyMajorAndMinor) {
  if (!HavePeTools()) GTEST_SKIP() << "needs the wine PE corpus and python3-pefile";
  // lz32.dll has one version record; give it the version 5.12.3.4.
  std::string bytes = testing::ReadBytes(std::string(kPeCorpus) + "lz32.dll");
  const std::string signature("\xBD\x04\xEF\xFE", 4);
  const size_t at = bytes.find(signature);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(bytes.find(signature, at + 1), std::string::npos);
  testing::PutU32(bytes, at + 8, (5u << 16) | 12u);
  testing::PutU32(bytes, at + 12, (3u << 16) | 4u);
  const auto file = dir_ / "Versioned.dll";
  testing::WriteBytes(file, bytes);
  ASSERT_EQ(PefileVersion(file), "5.12.3.4");

  const auto m = Read(W(file), UpdateCondition::VersionBased, false);
  EXPECT_TRUE(m.ok);
  EXPECT_EQ(m.value, u"5.12");

  testing::WriteBytes(dir_ / "plain.txt", "MZ but nothing more");
  EXPECT_FALSE(Read(W(dir_ / "plain.txt"), UpdateCondition::VersionBased, false).ok);
}

// A project whose archive lies in a sub-folder of the base update directory.
class ZipEntryMeasureTest : public MeasureTest {
 protected:
  void SetUp() override {
    archive_ = dir_ / "Data" / "Data.zip";
    std::filesystem::create_directories(archive_.parent_path());
    ASSERT_TRUE(testing::WriteZip(
        archive_, {{"readme.txt", std::string(2500, 'r'), PackDosDateTime(2004, 6, 5, 9, 7, 30)},
                   {"sub/", "", PackDosDateTime(2004, 1, 15, 12, 0, 0)},
                   {"sub/Inner.txt", "inner", PackDosDateTime(2004, 1, 15, 12, 0, 0)},
                   {"undated.txt", "u", 0},
                   {"dawn.txt", "d", PackDosDateTime(1980, 1, 1, 0, 1, 0)}}));
  }
  WString Entry(const char16_t* name) const { return W(archive_) + u"<" + name + u">"; }

  std::filesystem::path archive_;
};

TEST_F(ZipEntryMeasureTest, EntryTimeIsItsLocalTimeTurnedIntoUtc) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kPosixZoneRulesOnly;
#endif
  struct Case {
    const char* zone;
    const char16_t* entry;
    WString server;
    const char16_t* display;
    int32_t size;
  };
  const Case cases[] = {
      {"UTC0", u"readme.txt", ServerForm(2004, 6, 5, 9, 5, 30), u"5 June 2004, 09:07", 2500},
      // Summer time: two hours ahead of UTC.
      {kBerlin, u"readme.txt", ServerForm(2004, 6, 5, 7, 5, 30), u"5 June 2004, 07:07", 2500},
      // Winter time: one hour ahead, whatever the offset today.
      {kBerlin, u"sub\\Inner.txt", ServerForm(2004, 1, 15, 10, 58, 0), u"15 Jan 2004, 11:00", 5},
      {kBerlin, u"\\SUB/inner.TXT", ServerForm(2004, 1, 15, 10, 58, 0), u"15 Jan 2004, 11:00", 5},
      {"UTC0", u"SUB\\INNER.TXT", ServerForm(2004, 1, 15, 11, 58, 0), u"15 Jan 2004, 12:00", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + text::ToUtf8(c.entry));
    TimeZoneScope tz(c.zone);
    const auto server = Read(Entry(c.entry), UpdateCondition::TimeStampBased, false);
    EXPECT_TRUE(server.ok);
    EXPECT_EQ(server.value, c.server);
    EXPECT_EQ(server.size, c.size);
    const auto display = Read(Entry(c.entry), UpdateCondition::TimeStampBased, true);
    EXPECT_TRUE(display.ok);
    EXPECT_EQ(display.value, c.display);
  }
}

TEST_F(ZipEntryMeasureTest, EntriesThatCannotBeMeasured) {
  TimeZoneScope tz("UTC0");
  struct Case {
    const char* what;
    WString path;
    UpdateCondition condition;
    bool ok;
  };
  const Case cases[] = {
      {"entries have no version", Entry(u"readme.txt"), UpdateCondition::VersionBased, false},
      {"unconditional needs only the entry", Entry(u"readme.txt"), UpdateCondition::Unconditional, true},
      {"missing entry", Entry(u"nothing.txt"), UpdateCondition::Unconditional, false},
      {"missing entry, time stamp", Entry(u"nothing.txt"), UpdateCondition::TimeStampBased, false},
      {"empty entry name", Entry(u""), UpdateCondition::Unconditional, false},
      {"an entry without a date has no time stamp", Entry(u"undated.txt"),
       UpdateCondition::TimeStampBased, false},
      {"an entry without a date still exists", Entry(u"undated.txt"), UpdateCondition::Unconditional,
       true},
      {"before 1980 once two minutes are taken off", Entry(u"dawn.txt"),
       UpdateCondition::TimeStampBased, false},
      {"archive not in the base folder itself",
       W(dir_ / "Data.zip") + u"<readme.txt>", UpdateCondition::Unconditional, false},
      {"no opening bracket", W(archive_) + u"readme.txt>", UpdateCondition::Unconditional, false},
      {"archive that is a folder", W(dir_ / "Data") + u"<readme.txt>", UpdateCondition::Unconditional,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto m = Read(c.path, c.condition, false);
    EXPECT_EQ(m.ok, c.ok);
    EXPECT_EQ(m.value, u"untouched");
  }
  const auto dawn = Read(Entry(u"dawn.txt"), UpdateCondition::TimeStampBased, true);
  EXPECT_TRUE(dawn.ok);
  EXPECT_EQ(dawn.value, u"1 Jan 1980, 00:01");
}

TEST_F(ZipEntryMeasureTest, ADamagedArchiveFailsEveryEntry) {
  const std::string bytes = testing::ReadBytes(archive_);
  const size_t endRecord = testing::ReadZipLayout(bytes).endRecord;
  for (size_t keep : {size_t{0}, size_t{10}, bytes.size() / 2, endRecord + 3}) {
    SCOPED_TRACE(keep);
    testing::WriteBytes(archive_, bytes.substr(0, keep));
    for (auto condition : {UpdateCondition::Unconditional, UpdateCondition::TimeStampBased})
      EXPECT_FALSE(Read(Entry(u"readme.txt"), condition, false).ok);
  }
}

// Inside a scope an archive is stated once for its run of entries; outside
// one, and once the scope ends, a replaced archive shows at once.
TEST_F(ZipEntryMeasureTest, AReplacedArchiveShowsOutsideAStatusScope) {
  const std::string bytes = testing::ReadBytes(archive_);
  {
    const ArchiveStatusScope scope;
    EXPECT_TRUE(Read(Entry(u"readme.txt"), UpdateCondition::Unconditional, false).ok);
    std::filesystem::remove(archive_);
    EXPECT_TRUE(Read(Entry(u"readme.txt"), UpdateCondition::Unconditional, false).ok);
  }
  EXPECT_FALSE(Read(Entry(u"readme.txt"), UpdateCondition::Unconditional, false).ok);
  testing::WriteBytes(archive_, bytes);
  EXPECT_TRUE(Read(Entry(u"readme.txt"), UpdateCondition::Unconditional, false).ok);
}

TEST_F(MeasureTest, PanelSizeTexts) {
  struct Case {
    const char* name;
    size_t size;
    const char16_t* shown;
  };
  const Case cases[] = {
      {"one.bin", 1, u"1 Bytes"},       {"thousand.bin", 1000, u"1000 Bytes"},
      {"over.bin", 1001, u"0 KB"},      {"under.bin", 1023, u"0 KB"},
      {"two.bin", 2048, u"2 KB"},       {"odd.bin", 3071, u"2 KB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = dir_ / c.name;
    testing::WriteBytes(file, std::string(c.size, 's'));
    SetLastWrite(file, sys_days{year{2004} / 6 / 5} + 9h + 7min);
    const auto panel = DescribeFile(W(file));
    EXPECT_EQ(panel.fileName, text::FromUtf8(c.name));
    EXPECT_EQ(panel.version, u"Not Available");
    EXPECT_EQ(panel.modifiedDate, u"5 June 2004, 09:07");
    EXPECT_EQ(panel.fileSize, c.shown);
  }
}

TEST_F(MeasureTest, PanelForEmptyAndMissingFiles) {
  testing::WriteBytes(dir_ / "empty.txt", "");
  const auto empty = DescribeFile(W(dir_ / "empty.txt"));
  EXPECT_EQ(empty.fileName, u"empty.txt");
  EXPECT_EQ(empty.version, u"Not Available");
  EXPECT_EQ(empty.modifiedDate, u"Error reading");
  EXPECT_EQ(empty.fileSize, u"Error reading");

  const auto missing = DescribeFile(W(dir_ / "gone" / "missing.exe"));
  EXPECT_EQ(missing.fileName, u"missing.exe");
  EXPECT_EQ(missing.version, u"Not Available");
  EXPECT_EQ(missing.modifiedDate, u"Error reading");
  EXPECT_EQ(missing.fileSize, u"Error reading");

  const auto none = DescribeFile(u"");
  EXPECT_EQ(none.fileName, u"");
  EXPECT_EQ(none.version, u"");
  EXPECT_EQ(none.modifiedDate, u"");
  EXPECT_EQ(none.fileSize, u"");
}

TEST_F(MeasureTest, PanelShowsTheWholeSizeOfFilesOf4GiBAndMore) {
  const auto file = dir_ / "huge.iso";
  testing::WriteBytes(file, "");
  std::filesystem::resize_file(file, (uint64_t{4} << 30) + 2048);  // sparse: takes no space
  EXPECT_EQ(DescribeFile(W(file)).fileSize, u"4194306 KB");
  // The tree keeps only the low 32 bits.
  EXPECT_EQ(Read(W(file), UpdateCondition::Unconditional, false).size, 2048);
}

TEST_F(ZipEntryMeasureTest, PanelForAZipEntry) {
  TimeZoneScope tz("UTC0");
  const auto panel = DescribeFile(Entry(u"sub\\Inner.txt"));
  EXPECT_EQ(panel.fileName, u"<sub\\Inner.txt>");
  EXPECT_EQ(panel.version, u"Not Available");
  EXPECT_EQ(panel.modifiedDate, u"15 Jan 2004, 12:00");
  EXPECT_EQ(panel.fileSize, u"5 Bytes");

  const auto readme = DescribeFile(Entry(u"readme.txt"));
  EXPECT_EQ(readme.fileName, u"<readme.txt>");
  EXPECT_EQ(readme.fileSize, u"2 KB");

  const auto missing = DescribeFile(Entry(u"gone.txt"));
  EXPECT_EQ(missing.fileName, u"<gone.txt>");
  EXPECT_EQ(missing.modifiedDate, u"Error reading");
  EXPECT_EQ(missing.fileSize, u"Error reading");
}

TEST_F(MeasureTest, PanelShowsTheVersionOfAnExecutable) {
  if (!HavePeTools()) GTEST_SKIP() << "needs the wine PE corpus and python3-pefile";
  const std::filesystem::path file = std::string(kPeCorpus) + "user32.dll";
  const auto panel = DescribeFile(W(file));
  EXPECT_EQ(panel.fileName, u"user32.dll");
  EXPECT_EQ(panel.version, text::FromUtf8(MajorMinor(PefileVersion(file))));
  EXPECT_EQ(panel.fileSize, text::FormatDecimal(std::filesystem::file_size(file) / 1024) + u" KB");
}

}  // namespace
}  // namespace tidewell
