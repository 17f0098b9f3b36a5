#include <gtest/gtest.h>

#include "PeTestSupport.h"
#include "pe/PeResourceReader.h"
#include "support/TempDir.h"

namespace tidewell::pe {
namespace {

using testing::FixtureExe;
using testing::HaveFixtures;

ResourceId Id(uint16_t id) { return ResourceId::Integer(id); }

std::vector<std::u16string> Texts(const std::vector<ResourceId>& ids) {
  std::vector<std::u16string> out;
  for (const ResourceId& id : ids) out.push_back(id.ToText());
  return out;
}

TEST(ResourceId, TextFormsFollowThePlatformLookup) {
  EXPECT_EQ(ResourceId::FromText(u"#123"), Id(123));
  EXPECT_EQ(ResourceId::FromText(u"#0"), Id(0));
  EXPECT_EQ(ResourceId::FromText(u"#65535"), Id(65535));
  EXPECT_EQ(ResourceId::FromText(u"#65536"), ResourceId::Named(u"#65536"));
  EXPECT_EQ(ResourceId::FromText(u"#12a"), ResourceId::Named(u"#12a"));
  EXPECT_EQ(ResourceId::FromText(u"#"), ResourceId::Named(u"#"));
  EXPECT_EQ(ResourceId::FromText(u"MAINICON"), ResourceId::Named(u"MAINICON"));
  EXPECT_EQ(Id(208).ToText(), u"#208");
  EXPECT_EQ(ResourceId::Named(u"Icon").ToText(), u"Icon");
  EXPECT_TRUE(ResourceId::Named(u"MainIcon").Matches(ResourceId::Named(u"MAINICON")));
  EXPECT_FALSE(ResourceId::Named(u"MainIcon").Matches(ResourceId::Named(u"MAINICONS")));
  EXPECT_FALSE(ResourceId::Named(u"#1").Matches(Id(1)));
}

TEST(ResourceId, LoaderOrderPutsNamesFirstThenIds) {
  std::vector<ResourceId> ids = {
      Id(16), ResourceId::Named(u"b"), Id(2), ResourceId::Named(u"_X"), ResourceId::Named(u"A"),
      Id(1)};
  std::stable_sort(ids.begin(), ids.end(), ResourceOrderLess);
  // Upper-cased: "A" < "B" < "_X" ('_' is above the capital letters).
  EXPECT_EQ(Texts(ids), (std::vector<std::u16string>{u"A", u"b", u"_X", u"#1", u"#2", u"#16"}));
}

TEST(PeResourceReader, ListsTheFixtureInDirectoryOrder) {
  if (!HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  std::string error;
  const auto reader = PeResourceReader::Open(FixtureExe(), &error);
  ASSERT_TRUE(reader.has_value()) << error;
  EXPECT_EQ(reader->Problem(), "");
  EXPECT_EQ(Texts(reader->Types()),
            (std::vector<std::u16string>{u"MYDATA", u"#2", u"#3", u"#6", u"#14", u"#16"}));
  EXPECT_EQ(Texts(reader->Names(Id(3))), (std::vector<std::u16string>{u"#1", u"#2", u"#3", u"#4"}));
  EXPECT_EQ(reader->Languages(Id(6), Id(1)), (std::vector<uint16_t>{0x0407, 0x0C09}));
  EXPECT_EQ(Texts(reader->Names(Id(99))), std::vector<std::u16string>{});
  EXPECT_EQ(reader->Languages(Id(6), Id(2)), std::vector<uint16_t>{});
}

TEST(PeResourceReader, ReadsResourceBytesExactly) {
  if (!HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  const auto reader = PeResourceReader::Open(FixtureExe(), nullptr);
  ASSERT_TRUE(reader.has_value());
  // A bitmap resource is the .bmp file without its 14-byte file header.
  const std::string bmp = tidewell::testing::ReadBytes(testing::FixtureImagesDir() / "Picture.bmp");
  EXPECT_EQ(reader->Read(Id(2), Id(208), 0x0C09), bmp.substr(14));
  EXPECT_EQ(reader->Read(Id(2), Id(208), 0x0409), std::nullopt);
  EXPECT_EQ(reader->Read(Id(6), Id(1), 0x0407), testing::StringTableBytes({u"", u"Erste"}));
  EXPECT_EQ(reader->Read(Id(6), Id(1), 0x0C09),
            testing::StringTableBytes(
                {u"", u"Original one", u"Original two", u"", u"", u"", u"", u"False"}));
  EXPECT_EQ(reader->Read(ResourceId::Named(u"MyData"), ResourceId::Named(u"customdata"), 0x0C09),
            std::string("payload of a named resource\0", 28));
}

TEST(PeResourceReader, FindsByTextAsThePlatformDoes) {
  if (!HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  const auto reader = PeResourceReader::Open(FixtureExe(), nullptr);
  ASSERT_TRUE(reader.has_value());
  const auto bitmap = reader->Find(Id(2), u"#208");
  ASSERT_TRUE(bitmap.has_value());
  EXPECT_EQ(bitmap->name, Id(208));
  EXPECT_EQ(bitmap->language, 0x0C09);
  const auto named = reader->Find(ResourceId::Named(u"mydata"), u"CustomData");
  ASSERT_TRUE(named.has_value());
  EXPECT_EQ(named->name, ResourceId::Named(u"CUSTOMDATA"));
  EXPECT_EQ(reader->Find(Id(2), u"208"), std::nullopt);  // a string name, not id 208
  EXPECT_EQ(reader->Find(Id(2), u"#209"), std::nullopt);
  EXPECT_EQ(reader->Find(Id(3), u"#70000"), std::nullopt);
  // No neutral language here: the first in directory order, unless asked.
  EXPECT_EQ(reader->Find(Id(6), u"#1").value().language, 0x0407);
  EXPECT_EQ(reader->Find(Id(6), u"#1", 0x0C09).value().language, 0x0C09);
  EXPECT_EQ(reader->Find(Id(6), u"#1", 0x0409).value().language, 0x0407);
}

TEST(PeResourceReader, OpenFailsClearlyForWhatIsNotAPeFile) {
  tidewell::testing::TempDir dir;
  std::string error;
  EXPECT_FALSE(PeResourceReader::Open(dir / "missing.exe", &error).has_value());
  EXPECT_EQ(error, "cannot open " + (dir / "missing.exe").string());
  tidewell::testing::WriteBytes(dir / "icon.ico", std::string("\0\0\1\0\1\0", 6));
  EXPECT_FALSE(PeResourceReader::Open(dir / "icon.ico", &error).has_value());
  EXPECT_EQ(error, "not a PE file: no DOS header");
  tidewell::testing::WriteBytes(dir / "empty.exe", "");
  EXPECT_FALSE(PeResourceReader::Open(dir / "empty.exe", &error).has_value());
  EXPECT_EQ(error, "not a PE file: no DOS header");
  EXPECT_FALSE(PeResourceReader::Open(dir.Path(), &error).has_value());
}

// Every resource of every wine library, as pefile sees it.
TEST(PeResourceReader, AgreesWithPefileOnTheWineLibraries) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  const auto files = testing::WineLibraries();
  if (files.size() < 100) GTEST_SKIP() << "wine's libraries are not installed";
  std::string ours;
  for (const auto& f : files) ours += testing::ResourceListing(f);
  const std::string theirs = testing::Pefile("resources", files);
  ASSERT_FALSE(theirs.empty()) << "pefile did not run";
  EXPECT_EQ(ours, theirs);
  EXPECT_GT(std::count(ours.begin(), ours.end(), '\n'), 20000);
}

}  // namespace
}  // namespace tidewell::pe
