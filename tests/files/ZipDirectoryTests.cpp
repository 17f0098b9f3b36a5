#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "files/FileInfo.h"
#include "files/TimeZoneScope.h"
#include "files/ZipArchive.h"
#include "files/ZipDirectory.h"
#include "files/ZipFixture.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::PackDosDateTime;
using testing::TempDir;

WString W(const std::filesystem::path& path) { return text::FromPath(path); }

std::shared_ptr<const ZipDirectory> LoadDirectory(const std::filesystem::path& path) {
  const auto status = ReadFileStatus(W(path));
  return status ? ZipDirectory::Load(W(path), *status) : nullptr;
}

TEST(ZipDirectory, FindsWhatLocateFileFinds) {
  TempDir dir;
  const auto path = dir / "same.zip";
  const std::string longName = "deep/" + std::string(300, 'q');
  ASSERT_TRUE(testing::WriteZip(path, {{"a/b", "1"},
                                        {"a\\b", "22"},
                                        {"Docs/Guide.PDF", "333"},
                                        {"docs/", ""},
                                        {"latin\xE9.txt", "4444"},
                                        {longName, "55555"},
                                        {"readme.txt", "666666"}}));
  const std::vector<WString> queries = {
      u"a\\b",          u"A/B",           u"\\a/b",         u"docs\\guide.pdf", u"docs/GUIDE.pdf",
      u"docs\\",        u"docs",          u"latin\u00E9.txt", u"LATIN\u00E9.TXT",
      text::FromUtf8(longName),          text::FromUtf8("DEEP\\" + std::string(300, 'Q')),
      u"readme.txt",    u"\\README.TXT",  u"\\\\readme.txt", u"missing",       u"",
  };
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  const auto directory = LoadDirectory(path);
  ASSERT_TRUE(directory);
  EXPECT_EQ(directory->Size(), 7u);
  for (const auto& query : queries) {
    for (bool searchAll : {false, true}) {
      SCOPED_TRACE(text::ToUtf8(query) + (searchAll ? " (search all)" : ""));
      const ZipEntry* found = directory->Find(query, searchAll);
      ASSERT_EQ(found != nullptr, zip.LocateFile(query, searchAll));
      if (found) {
        ZipEntry current;
        ASSERT_TRUE(zip.GetCurrentFileInfo(current));
        EXPECT_EQ(found->name, current.name);
        EXPECT_EQ(found->uncompressedSize, current.uncompressedSize);
      }
    }
  }
}

TEST(ZipDirectory, ARewrittenArchiveIsReadAgain) {
  using namespace std::chrono;
  testing::TimeZoneScope zone("UTC0");
  TempDir dir;
  const auto path = dir / "changing.zip";
  const WString entry = W(path) + u"<readme.txt>";
  ASSERT_TRUE(testing::WriteZip(path, {{"readme.txt", "same", PackDosDateTime(2004, 6, 5, 9, 7, 30)}}));
  const auto written = std::filesystem::last_write_time(path);
  WString value;
  int32_t size = 0;
  ASSERT_TRUE(ReadFileInfo(entry, value, size, UpdateCondition::TimeStampBased, true));
  EXPECT_EQ(value, u"5 June 2004, 09:07");

  // Same size, and the old last-write time put back: the change is still seen.
  const std::string before = testing::ReadBytes(path);
  ASSERT_TRUE(testing::WriteZip(path, {{"readme.txt", "same", PackDosDateTime(2005, 7, 6, 10, 8, 30)}}));
  std::filesystem::last_write_time(path, written);
  ASSERT_EQ(testing::ReadBytes(path).size(), before.size());
  ASSERT_TRUE(ReadFileInfo(entry, value, size, UpdateCondition::TimeStampBased, true));
  EXPECT_EQ(value, u"6 July 2005, 10:08");

  // An archive that turns into something else is no longer measured.
  testing::WriteBytes(path, "not an archive any more");
  EXPECT_FALSE(ReadFileInfo(entry, value, size, UpdateCondition::Unconditional, false));
}

TEST(ZipDirectory, ManyArchivesInTurnAreEachMeasuredRight) {
  testing::TimeZoneScope zone("UTC0");
  TempDir dir;
  // More archives than are kept, measured in an interleaved order.
  constexpr int kArchives = 12;
  for (int i = 0; i < kArchives; ++i) {
    ASSERT_TRUE(testing::WriteZip(dir / ("a" + std::to_string(i) + ".zip"),
                                  {{"x.txt", std::string(static_cast<size_t>(i + 1), 'x')},
                                   {"y.txt", std::string(static_cast<size_t>(100 + i), 'y')}}));
  }
  for (int round = 0; round < 3; ++round) {
    for (int k = 0; k < kArchives; ++k) {
      const int i = (k * 5 + round) % kArchives;
      const WString archive = W(dir / ("a" + std::to_string(i) + ".zip"));
      WString value;
      int32_t size = 0;
      ASSERT_TRUE(ReadFileInfo(archive + u"<x.txt>", value, size, UpdateCondition::Unconditional, false));
      EXPECT_EQ(size, i + 1);
      ASSERT_TRUE(ReadFileInfo(archive + u"<Y.TXT>", value, size, UpdateCondition::Unconditional, false));
      EXPECT_EQ(size, 100 + i);
    }
  }
}

TEST(ZipDirectory, StopsAtADamagedRecordAsAWalkDoes) {
  TempDir dir;
  const auto path = dir / "damaged.zip";
  ASSERT_TRUE(testing::WriteZip(path, {{"first.txt", "1"}, {"second.txt", "22"}, {"third.txt", "333"}}));
  std::string bytes = testing::ReadBytes(path);
  // Break the signature of the second directory record.
  const size_t second = bytes.find("PK\x01\x02", testing::ReadZipLayout(bytes).centralOffset + 4);
  ASSERT_NE(second, std::string::npos);
  bytes[second + 2] = 'X';
  testing::WriteBytes(path, bytes);

  const auto directory = LoadDirectory(path);
  ASSERT_TRUE(directory);
  EXPECT_EQ(directory->Size(), 1u);
  EXPECT_NE(directory->Find(u"first.txt", true), nullptr);
  EXPECT_EQ(directory->Find(u"third.txt", true), nullptr);
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(W(path)));
  EXPECT_TRUE(zip.LocateFile(u"first.txt", true));
  EXPECT_FALSE(zip.LocateFile(u"third.txt", true));
}

}  // namespace
}  // namespace tidewell
