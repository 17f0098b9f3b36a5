#include <gtest/gtest.h>

#include <map>

#include "support/HostOnly.h"
#include "CraftedPe.h"
#include "PeTestSupport.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceUpdate.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell::pe {
namespace {

namespace fs = std::filesystem;
using tidewell::testing::ReadBytes;
using tidewell::testing::TempDir;
using tidewell::testing::WriteBytes;

// Every resource of a file: "type name language" -> bytes.
std::map<std::string, std::string> AllResources(const fs::path& file) {
  std::map<std::string, std::string> all;
  const auto reader = PeResourceReader::Open(file, nullptr);
  if (!reader) return all;
  for (const ResourceId& type : reader->Types())
    for (const ResourceId& name : reader->Names(type))
      for (uint16_t language : reader->Languages(type, name))
        all[text::ToUtf8(type.ToText()) + " " + text::ToUtf8(name.ToText()) + " " +
            std::to_string(language)] = reader->Read(type, name, language).value_or("unreadable");
  return all;
}

class ResourceUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
    exe_ = dir_ / "Client.exe";
    fs::copy_file(testing::FixtureExe(), exe_);
  }

  TempDir dir_;
  fs::path exe_;
};

TEST_F(ResourceUpdateTest, ReplacesOneResourceAndKeepsEveryOtherByteForByte) {
  auto expected = AllResources(exe_);
  ASSERT_EQ(expected.size(), 11u);
  const std::string table =
      testing::StringTableBytes({u"", u"Notepad.exe", u"http://example.com/UpdateConfig.xml", u"",
                                 u"", u"", u"", u"False", u"1 0", u"False"});
  std::string error;
  auto update = ResourceUpdate::Begin(exe_, &error);
  ASSERT_TRUE(update.has_value()) << error;
  ASSERT_TRUE(update->Update(kTypeString, 1, 0x0C09, table));
  CommitResult result;
  ASSERT_TRUE(update->Commit(&result, &error)) << error;
  EXPECT_FALSE(result.signatureRemoved);
  EXPECT_TRUE(result.checkSumUpdated);
  EXPECT_FALSE(result.resourceSectionMoved);
  expected["#6 #1 3081"] = table;
  EXPECT_EQ(AllResources(exe_), expected);  // the German block among them
}

TEST_F(ResourceUpdateTest, BatchedChangesApplyInOrderAndSortAsTheLoaderExpects) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  auto update = ResourceUpdate::Begin(exe_, nullptr);
  ASSERT_TRUE(update.has_value());
  update->Update(ResourceId::Named(u"ZEBRA"), ResourceId::Named(u"Stripes"), 0, "zebra");
  update->Update(ResourceId::Named(u"ALPHA"), ResourceId::Integer(7), 0, "alpha");
  update->Update(kTypeIcon, 9, 0x0409, "icon nine, replaced below");
  update->Update(kTypeIcon, 9, 0x0409, "icon nine");
  update->Update(kTypeString, 1, 0x0409, "US strings");
  update->Remove(ResourceId::Integer(kTypeString), ResourceId::Integer(1), 0x0407);
  update->Remove(ResourceId::Integer(kTypeGroupIcon), ResourceId::Integer(2), 0x0C09);
  update->Remove(ResourceId::Integer(kTypeGroupIcon), ResourceId::Integer(77), 0x0C09);
  update->Update(kTypeBitmap, 205, 0x0C09, "");  // an empty resource is a resource
  std::string error;
  ASSERT_TRUE(update->Commit(nullptr, &error)) << error;

  // pefile reads the directory as written: names first, in upper-cased order,
  // then ids ascending, at every level.
  const std::string listing = testing::Pefile("resources", {exe_});
  const std::vector<std::string> expectedOrder = {"ALPHA #7 0 5",      "MYDATA CUSTOMDATA 3081 28",
                                                  "ZEBRA Stripes 0 5", "#2 #205 3081 0",
                                                  "#2 #208 3081 292",  "#3 #1 3081",
                                                  "#3 #2 3081",        "#3 #3 3081",
                                                  "#3 #4 3081",        "#3 #9 1033 9",
                                                  "#6 #1 1033 10",     "#6 #1 3081 90",
                                                  "#14 #1 3081 34",    "#16 #1 3081"};
  size_t at = 0;
  for (const std::string& line : expectedOrder) {
    const size_t found = listing.find("\n" + line, at);
    EXPECT_NE(found, std::string::npos) << line << " in order in\n" << listing;
    if (found != std::string::npos) at = found + 1;
  }
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 15);  // file line + 14
  EXPECT_EQ(listing, testing::ResourceListing(exe_));
}

TEST_F(ResourceUpdateTest, AbandonedUpdateWritesNothing) {
  const std::string before = ReadBytes(exe_);
  {
    auto update = ResourceUpdate::Begin(exe_, nullptr);
    ASSERT_TRUE(update.has_value());
    update->Update(kTypeString, 1, 0x0C09, "never written");
  }
  EXPECT_EQ(ReadBytes(exe_), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1);
}

TEST_F(ResourceUpdateTest, CommitsOnlyOnce) {
  auto update = ResourceUpdate::Begin(exe_, nullptr);
  ASSERT_TRUE(update.has_value());
  update->Update(kTypeString, 1, 0x0C09, "first");
  std::string error;
  ASSERT_TRUE(update->Commit(nullptr, &error));
  const std::string after = ReadBytes(exe_);
  EXPECT_FALSE(update->Update(kTypeString, 1, 0x0C09, "second"));
  EXPECT_FALSE(update->Commit(nullptr, &error));
  EXPECT_EQ(error, "the resource update was already completed");
  EXPECT_EQ(ReadBytes(exe_), after);
}

// A copy and its edit in one write: the source is only read; a new target
// takes its mode and is writable by its owner; an existing one is replaced.
TEST_F(ResourceUpdateTest, WritesTheEditedSourceToAnotherFile) {
  fs::permissions(exe_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read);
  const std::string source = ReadBytes(exe_);
  auto expected = AllResources(exe_);
  const std::string table = testing::StringTableBytes({u"", u"copied"});
  expected["#6 #1 3081"] = table;
  for (const bool existing : {false, true}) {
    const fs::path target = dir_ / "Copy.exe";
    if (existing) WriteBytes(target, "an earlier client");
    std::string error;
    auto update = ResourceUpdate::Begin(exe_, target, &error);
    ASSERT_TRUE(update.has_value()) << error;
    update->Update(kTypeString, 1, 0x0C09, table);
    ASSERT_TRUE(update->Commit(nullptr, &error)) << error;
    EXPECT_EQ(ReadBytes(exe_), source) << existing;
    EXPECT_EQ(AllResources(target), expected) << existing;
#ifndef _WIN32
    EXPECT_EQ(fs::status(target).permissions(),
              existing ? fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                             fs::perms::others_read
                       : fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec |
                             fs::perms::group_read)
        << existing;
#endif
    fs::remove(target);
  }
  // A source that is no PE file is refused before anything is written.
  WriteBytes(dir_ / "Not.exe", "MZ but nothing more");
  std::string error;
  EXPECT_FALSE(ResourceUpdate::Begin(dir_ / "Not.exe", dir_ / "Copy.exe", &error).has_value());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(dir_ / "Copy.exe"));
}

TEST_F(ResourceUpdateTest, KeepsPermissionsAndEditsTheTargetOfALink) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kNoSymbolicLinks;
#endif
  fs::permissions(exe_, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  fs::create_symlink(exe_, dir_ / "link.exe");
  auto update = ResourceUpdate::Begin(dir_ / "link.exe", nullptr);
  ASSERT_TRUE(update.has_value());
  update->Update(kTypeString, 1, 0x0C09, testing::StringTableBytes({u"", u"via link"}));
  ASSERT_TRUE(update->Commit(nullptr, nullptr));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.exe"));
  EXPECT_EQ(fs::status(exe_).permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(AllResources(exe_)["#6 #1 3081"], testing::StringTableBytes({u"", u"via link"}));
}

TEST(ResourceUpdateFailure, NoRoomForASectionHeaderLeavesTheFileAsItWas) {
  // .rsrc is followed by .reloc and the section table fills the headers: a
  // resource section that outgrows its address range has nowhere to go.
  testing::CraftedPe pe;
  pe.pe32Plus = true;
  pe.sizeOfHeaders = 0x200;
  pe.sections.push_back({".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020});
  pe.sections.push_back({".rsrc", 0x2000, 0, std::string(16, '\0')});
  pe.sections.push_back({".reloc", 0x3000, 0, std::string(12, 'r')});
  pe.sections.push_back({".data", 0x4000, 0, std::string(12, 'd')});
  pe.directories[2] = {0x2000, 16};
  TempDir dir;
  const std::string original = pe.Build();
  WriteBytes(dir / "full.exe", original);
  std::string error;
  auto update = ResourceUpdate::Begin(dir / "full.exe", &error);
  ASSERT_TRUE(update.has_value()) << error;
  update->Update(kTypeBitmap, 208, 0x0C09, std::string(0x2000, 'b'));
  EXPECT_FALSE(update->Commit(nullptr, &error));
  EXPECT_EQ(error,
            "the resources do not fit in their section and the headers have no room for another "
            "section header");
  EXPECT_EQ(ReadBytes(dir / "full.exe"), original);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

  // A change that fits the section's address range still works.
  auto small = ResourceUpdate::Begin(dir / "full.exe", &error);
  ASSERT_TRUE(small.has_value());
  small->Update(kTypeBitmap, 208, 0x0C09, "small");
  ASSERT_TRUE(small->Commit(nullptr, &error)) << error;
  EXPECT_EQ(AllResources(dir / "full.exe"),
            (std::map<std::string, std::string>{{"#2 #208 3081", "small"}}));
}

TEST_F(ResourceUpdateTest, ReadOnlyFileIsRefusedAndLeftAsItWas) {
  const std::string before = ReadBytes(exe_);
  fs::permissions(exe_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::string error;
  EXPECT_FALSE(ResourceUpdate::Begin(exe_, &error).has_value());
  EXPECT_EQ(error, "cannot write " + exe_.string() + ": the file is read-only");
  EXPECT_EQ(ReadBytes(exe_), before);
}

TEST(ResourceUpdateFailure, BeginRefusesWhatIsNotAPeFile) {
  TempDir dir;
  WriteBytes(dir / "text.exe", "plain text, not a program");
  std::string error;
  EXPECT_FALSE(ResourceUpdate::Begin(dir / "text.exe", &error).has_value());
  EXPECT_EQ(error, "not a PE file: no DOS header");
  EXPECT_FALSE(ResourceUpdate::Begin(dir / "missing.exe", &error).has_value());
  EXPECT_EQ(error, "cannot open " + (dir / "missing.exe").string());
}

}  // namespace
}  // namespace tidewell::pe
