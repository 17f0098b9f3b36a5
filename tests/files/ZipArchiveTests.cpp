#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "files/ZipArchive.h"
#include "files/ZipFixture.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PackDosDateTime;
using testing::TempDir;
using testing::ZipFixtureEntry;

WString W(const std::filesystem::path& path) { return text::FromPath(path); }

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Every entry reachable from the first, with a cap so a looping walk fails
// the test instead of hanging it.
std::vector<ZipEntry> Walk(ZipArchive& zip, size_t cap = 1000) {
  std::vector<ZipEntry> entries;
  if (!zip.GoToFirstFile()) return entries;
  do {
    ZipEntry entry;
    if (!zip.GetCurrentFileInfo(entry)) break;
    entries.push_back(entry);
    if (entries.size() > cap) break;
  } while (zip.GoToNextFile());
  return entries;
}

class ZipArchiveTest : public ::testing::Test {
 protected:
  std::filesystem::path Make(const std::string& name, const std::vector<ZipFixtureEntry>& entries) {
    const auto path = dir_ / name;
    EXPECT_TRUE(testing::WriteZip(path, entries));
    return path;
  }
  TempDir dir_;
};

TEST_F(ZipArchiveTest, ListsEntriesWithConvertedNamesAndTheirRecords) {
  const std::string big(3000, 'z');
  const uint32_t when = PackDosDateTime(2004, 6, 5, 9, 7, 30);
  const auto path = Make("a.zip", {{"readme.txt", "hello", when},
                                   {"sub/", "", when},
                                   {"sub/inner/file.dat", big, PackDosDateTime(1999, 12, 31, 23, 59, 58)},
                                   {"empty.txt", "", when}});
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  const auto entries = Walk(zip);
  ASSERT_EQ(entries.size(), 4u);

  EXPECT_EQ(entries[0].name, u"readme.txt");
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_EQ(entries[0].uncompressedSize, 5u);
  EXPECT_EQ(entries[0].crc, Crc("hello"));
  EXPECT_EQ(entries[0].dosDateTime, when);
  EXPECT_EQ(entries[0].compressionMethod, 8u);
  EXPECT_EQ(entries[0].nameLength, 10u);

  EXPECT_EQ(entries[1].name, u"sub\\");
  EXPECT_TRUE(entries[1].isDirectory);

  EXPECT_EQ(entries[2].name, u"sub\\inner\\file.dat");
  EXPECT_FALSE(entries[2].isDirectory);
  EXPECT_EQ(entries[2].uncompressedSize, 3000u);
  EXPECT_LT(entries[2].compressedSize, 3000u);
  EXPECT_EQ(entries[2].crc, Crc(big));
  EXPECT_EQ(entries[2].dosDateTime, PackDosDateTime(1999, 12, 31, 23, 59, 58));
  EXPECT_EQ(entries[2].nameLength, 18u);

  EXPECT_EQ(entries[3].name, u"empty.txt");
  EXPECT_EQ(entries[3].uncompressedSize, 0u);

  EXPECT_FALSE(zip.GoToNextFile());
  EXPECT_TRUE(zip.Close());
  EXPECT_FALSE(zip.Close());
}

TEST_F(ZipArchiveTest, LocatesEntriesWithoutRegardToCase) {
  const auto path = Make("b.zip", {{"readme.txt", "1"},
                                   {"Docs/Guide.PDF", "22"},
                                   {"docs/", ""},
                                   {"caf\xC3\xA9.txt", "333"},
                                   {"latin\xE9.txt", "4444"}});
  struct Case {
    const char16_t* query;
    bool searchAll;
    const char16_t* found;  // nullptr: not found
  };
  const Case cases[] = {
      {u"readme.txt", false, u"readme.txt"},
      {u"README.TXT", false, u"readme.txt"},
      {u"\\ReadMe.txt", false, u"readme.txt"},
      {u"\\\\readme.txt", true, nullptr},  // only one leading backslash is dropped
      {u"readme", true, nullptr},
      {u"docs/guide.pdf", false, u"Docs\\Guide.PDF"},
      {u"docs\\guide.pdf", false, nullptr},  // stored with a slash
      {u"docs\\guide.pdf", true, u"Docs\\Guide.PDF"},
      {u"\\DOCS\\GUIDE.PDF", true, u"Docs\\Guide.PDF"},
      {u"docs\\", true, u"docs\\"},
      {u"caf\u00E9.txt", false, u"caf\u00E9.txt"},
      {u"CAF\u00E9.TXT", false, u"caf\u00E9.txt"},
      {u"caf\u00C9.txt", true, nullptr},  // only A to Z fold
      // Not UTF-8: read as ISO 8859-1, found again through the walk.
      {u"latin\u00E9.txt", false, nullptr},
      {u"latin\u00E9.txt", true, u"latin\u00E9.txt"},
      {u"", true, nullptr},
  };
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  for (const auto& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.query) + (c.searchAll ? " (search all)" : ""));
    const bool located = zip.LocateFile(c.query, c.searchAll);
    EXPECT_EQ(located, c.found != nullptr);
    if (located && c.found) {
      ZipEntry entry;
      ASSERT_TRUE(zip.GetCurrentFileInfo(entry));
      EXPECT_EQ(entry.name, c.found);
    }
  }
}

TEST_F(ZipArchiveTest, AStoredNameMatchBeatsAnEarlierConvertedOne) {
  // "a/b" comes first and converts to a\b; the entry stored as a\b still wins.
  const auto path = Make("c.zip", {{"a/b", "1"}, {"a\\b", "22"}});
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  ZipEntry entry;
  ASSERT_TRUE(zip.LocateFile(u"A\\B", true));
  ASSERT_TRUE(zip.GetCurrentFileInfo(entry));
  EXPECT_EQ(entry.uncompressedSize, 2u);
  ASSERT_TRUE(zip.LocateFile(u"a/B", false));
  ASSERT_TRUE(zip.GetCurrentFileInfo(entry));
  EXPECT_EQ(entry.uncompressedSize, 1u);
}

TEST_F(ZipArchiveTest, LongNamesAreKeptWholeAndFoundWhole) {
  // Names sharing their first 300 bytes, and names on both sides of
  // minizip's own 256-byte look-up limit.
  const std::string stem = "deep/" + std::string(295, 'x');
  const std::string at255(255, 'y');
  const std::string at256(256, 'w');
  const auto path = Make("d.zip", {{stem + "1.txt", "1"},
                                   {stem + "2.txt", "22"},
                                   {at255, "333"},
                                   {at256, "4444"},
                                   {std::string(2000, 'v'), "55555"}});
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  const auto entries = Walk(zip);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].name, text::FromUtf8("deep\\" + std::string(295, 'x') + "1.txt"));
  EXPECT_EQ(entries[1].name.size(), 305u);
  EXPECT_EQ(entries[4].name.size(), 2000u);
  EXPECT_EQ(entries[4].nameLength, 2000u);

  struct Case {
    std::string query;
    bool searchAll;
    uint64_t size;
  };
  const Case cases[] = {
      {stem + "2.txt", false, 2},
      {stem + "1.TXT", false, 1},
      {"deep\\" + std::string(295, 'X') + "2.txt", true, 2},
      {at255, false, 3},
      {at256, false, 4},
      {"\\" + at256, false, 4},
      {std::string(2000, 'V'), false, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query.size());
    ASSERT_TRUE(zip.LocateFile(text::FromUtf8(c.query), c.searchAll));
    ZipEntry entry;
    ASSERT_TRUE(zip.GetCurrentFileInfo(entry));
    EXPECT_EQ(entry.uncompressedSize, c.size);
  }
  EXPECT_FALSE(zip.LocateFile(text::FromUtf8(stem + "3.txt"), true));
  EXPECT_FALSE(zip.LocateFile(text::FromUtf8(stem), true));
}

TEST_F(ZipArchiveTest, ANameEndsAtAZeroByte) {
  const auto path = Make("e.zip", {{"keep#cut.txt", "1"}});
  std::string bytes = testing::ReadBytes(path);
  for (size_t at = bytes.find("keep#"); at != std::string::npos; at = bytes.find("keep#", at))
    bytes[at + 4] = '\0';
  testing::WriteBytes(path, bytes);
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  ZipEntry entry;
  ASSERT_TRUE(zip.GetCurrentFileInfo(entry));
  EXPECT_EQ(entry.name, u"keep");
  EXPECT_EQ(entry.nameLength, 12u);
  EXPECT_TRUE(zip.LocateFile(u"keep", false));
  EXPECT_FALSE(zip.LocateFile(WString(u"keep\0cut.txt", 12), true));
}

TEST_F(ZipArchiveTest, OpenRefusesWhatIsNotAnArchiveAndReplacesTheOpenOne) {
  const auto first = Make("first.zip", {{"one.txt", "1"}});
  const auto second = Make("second.zip", {{"two.txt", "22"}});
  testing::WriteBytes(dir_ / "text.txt", "just some text, no archive");
  testing::WriteBytes(dir_ / "empty.bin", "");
  std::filesystem::create_directory(dir_ / "folder.zip");
#ifdef _WIN32
  // Windows has no named pipes in the file system: a device name stands in.
  const char* const kPipe = "NUL";
#else
  ASSERT_EQ(mkfifo((dir_ / "pipe.zip").c_str(), 0600), 0);
  const char* const kPipe = "pipe.zip";
#endif

  ZipArchive zip;
  EXPECT_FALSE(zip.Close());
  EXPECT_FALSE(zip.GoToFirstFile());
  EXPECT_FALSE(zip.LocateFile(u"one.txt", true));
  for (const char* name : {"missing.zip", "text.txt", "empty.bin", "folder.zip", kPipe}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(zip.Open(W(dir_ / name)));
    EXPECT_FALSE(zip.IsOpen());
  }
  EXPECT_FALSE(zip.Open(u""));

  ASSERT_TRUE(zip.Open(W(first)));
  EXPECT_TRUE(zip.LocateFile(u"one.txt", false));
  ASSERT_TRUE(zip.Open(W(second)));
  EXPECT_FALSE(zip.LocateFile(u"one.txt", true));
  EXPECT_TRUE(zip.LocateFile(u"two.txt", false));
  // A failed open leaves nothing open, not the previous archive.
  EXPECT_FALSE(zip.Open(W(dir_ / "text.txt")));
  EXPECT_FALSE(zip.LocateFile(u"two.txt", true));
}

TEST_F(ZipArchiveTest, AnArchiveWithoutEntriesHasNoCurrentEntry) {
  // minizip takes a bare end record at offset 0 for a missing one.
  const auto bare = Make("none.zip", {});
  ZipArchive zip;
  EXPECT_FALSE(zip.Open(W(bare)));

  // Behind a stub, as in a self-extracting archive, it opens with nothing in it.
  const auto stubbed = dir_ / "stubbed.zip";
  testing::WriteBytes(stubbed, "MZ stub bytes" + testing::ReadBytes(bare));
  ASSERT_TRUE(zip.Open(W(stubbed)));
  ZipEntry entry;
  EXPECT_FALSE(zip.GetCurrentFileInfo(entry));
  EXPECT_FALSE(zip.GoToNextFile());
  EXPECT_FALSE(zip.LocateFile(u"anything", true));
  EXPECT_TRUE(zip.Close());
}

// Hostile and damaged archives: every operation ends, and nothing is read
// beyond what the archive holds.
class DamagedZipTest : public ZipArchiveTest {
 protected:
  void SetUp() override {
    good_ = testing::ReadBytes(
        Make("good.zip", {{"readme.txt", "hello"}, {"sub/", ""}, {"sub/data.bin", std::string(500, 'd')}}));
    layout_ = testing::ReadZipLayout(good_);
    ASSERT_EQ(layout_.entryCount, 3);
  }

  // Opens the bytes as an archive and runs every operation on it; answers
  // how many entries a walk from the first reached.
  size_t Exercise(const std::string& bytes, bool& opened) {
    const auto path = dir_ / "damaged.zip";
    testing::WriteBytes(path, bytes);
    ZipArchive zip;
    opened = zip.Open(W(path));
    const size_t walked = Walk(zip).size();
    for (const char16_t* name : {u"readme.txt", u"sub\\data.bin", u"missing.txt"}) zip.LocateFile(name, true);
    zip.Close();
    return walked;
  }

  std::string good_;
  testing::ZipLayout layout_;
};

TEST_F(DamagedZipTest, TruncatedArchivesFailOrShowOnlyWhatIsIntact) {
  for (size_t length = 0; length < good_.size(); ++length) {
    SCOPED_TRACE(length);
    const auto path = dir_ / "cut.zip";
    testing::WriteBytes(path, good_.substr(0, length));
    ZipArchive zip;
    const bool opened = zip.Open(W(path));
    // Without the end record's signature there is no archive. minizip reads
    // the missing fields of a cut end record as zero; the directory itself
    // is still checked record by record.
    if (length < layout_.endRecord + 4) {
      EXPECT_FALSE(opened);
    }
    for (const auto& entry : Walk(zip))
      EXPECT_TRUE(entry.name == u"readme.txt" || entry.name == u"sub\\" || entry.name == u"sub\\data.bin");
    bool ignored = false;
    EXPECT_LE(Exercise(good_.substr(0, length), ignored), 3u);
  }
  bool opened = false;
  EXPECT_EQ(Exercise(good_, opened), 3u);
  EXPECT_TRUE(opened);
}

TEST_F(DamagedZipTest, EveryCorruptedDirectoryByteEndsCleanly) {
  for (size_t at = layout_.centralOffset; at < good_.size(); ++at) {
    for (char value : {'\x00', '\xFF', '\x7F'}) {
      SCOPED_TRACE(::testing::Message() << "byte " << at << " set to " << int(value));
      std::string bytes = good_;
      bytes[at] = value;
      bool opened = false;
      EXPECT_LE(Exercise(bytes, opened), 3u);
    }
  }
}

TEST_F(DamagedZipTest, AHugeDeclaredEntryCountStopsAtTheRealEnd) {
  for (uint16_t declared : {uint16_t{60000}, uint16_t{0xFFFF}}) {
    SCOPED_TRACE(declared);
    std::string bytes = good_;
    testing::PutU16(bytes, layout_.endRecord + 8, declared);
    testing::PutU16(bytes, layout_.endRecord + 10, declared);
    bool opened = false;
    EXPECT_EQ(Exercise(bytes, opened), 3u);
    ASSERT_TRUE(opened);

    const auto path = dir_ / "counted.zip";
    testing::WriteBytes(path, bytes);
    ZipArchive zip;
    ASSERT_TRUE(zip.Open(W(path)));
    EXPECT_TRUE(zip.LocateFile(u"sub\\data.bin", true));
    EXPECT_FALSE(zip.LocateFile(u"missing.txt", true));
  }
}

TEST_F(DamagedZipTest, DirectoryOffsetsAndLengthsBeyondTheFileFail) {
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
    bool field32;
    size_t walked;  // records still read before the damage
  };
  const size_t firstRecord = layout_.centralOffset;
  const Case cases[] = {
      {"directory offset past the end", layout_.endRecord + 16, 0x7FFFFFF0, true, 0},
      {"directory size past the end", layout_.endRecord + 12, 0x7FFFFFF0, true, 0},
      {"name length past the end", firstRecord + 28, 0xFFFF, false, 0},
      // The first record is whole; the next one would start past the end.
      {"extra length past the end", firstRecord + 30, 0xFFFF, false, 1},
      {"comment length past the end", firstRecord + 32, 0xFFFF, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good_;
    if (c.field32)
      testing::PutU32(bytes, c.offset, c.value);
    else
      testing::PutU16(bytes, c.offset, static_cast<uint16_t>(c.value));
    bool opened = false;
    EXPECT_EQ(Exercise(bytes, opened), c.walked);
  }
}

}  // namespace
}  // namespace tidewell
