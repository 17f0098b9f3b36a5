#include <gtest/gtest.h>

#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "CraftedPe.h"
#include "PeTestSupport.h"
#include "pe/IconImage.h"
#include "pe/PeResourceReader.h"
#include "pe/PeVersion.h"
#include "pe/ResourceUpdate.h"
#include "support/TempDir.h"

namespace tidewell::pe {
namespace {

namespace fs = std::filesystem;
using testing::CraftedPe;
using testing::Words;
using tidewell::testing::ReadBytes;
using tidewell::testing::TempDir;
using tidewell::testing::WriteBytes;

constexpr uint32_t kRsrcRva = 0x2000;
constexpr uint32_t kDir = 0x80000000;

// A resource directory made by hand, one type, one name, one language:
// root at 0x00, type directory at 0x18, name directory at 0x30, data entry
// at 0x48, data at 0x58, a string name at 0x60. Each case bends one field.
struct HandMadeDirectory {
  uint32_t rootCounts = 1u << 16;  // named entries | id entries << 16
  uint32_t typeName = 6, typeTarget = kDir | 0x18;
  uint32_t nameName = 1, nameTarget = kDir | 0x30;
  uint32_t language = 0x409, languageTarget = 0x48;
  uint32_t dataRva = kRsrcRva + 0x58, dataSize = 4;
  uint32_t stringLength = 3;

  std::string Bytes() const {
    return Words({0, 0, 0, rootCounts, typeName, typeTarget}) +
           Words({0, 0, 0, 1u << 16, nameName, nameTarget}) +
           Words({0, 0, 0, 1u << 16, language, languageTarget}) + Words({dataRva, dataSize, 0, 0}) +
           "DATA" + std::string(4, '\0') + Words({stringLength | ('A' << 16), 'B' | ('C' << 16)});
  }
};

std::string ImageWithResources(const std::string& section) {
  CraftedPe pe;
  pe.pe32Plus = true;
  pe.sections.push_back({".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020});
  pe.sections.push_back({".rsrc", kRsrcRva, 0, section});
  pe.directories[2] = {kRsrcRva, static_cast<uint32_t>(section.size())};
  return pe.Build();
}

TEST(HostileResources, WellFormedHandMadeDirectoryReads) {
  TempDir dir;
  WriteBytes(dir / "good.exe", ImageWithResources(HandMadeDirectory{}.Bytes()));
  const auto reader = PeResourceReader::Open(dir / "good.exe", nullptr);
  ASSERT_TRUE(reader.has_value());
  EXPECT_EQ(reader->Problem(), "");
  EXPECT_EQ(reader->Read(ResourceId::Integer(6), ResourceId::Integer(1), 0x409),
            std::optional<std::string>("DATA"));
}

TEST(HostileResources, FaultyDirectoriesAreReportedAndNeverFollowed) {
  struct Case {
    const char* what;
    std::function<void(HandMadeDirectory&)> bend;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"root entry points at the root", [](auto& d) { d.typeTarget = kDir | 0; },
       "the directory of #6 overlaps another directory or is reached twice"},
      {"name directory points back at the root", [](auto& d) { d.nameTarget = kDir | 0; },
       "the directory of #1 overlaps another directory or is reached twice"},
      {"type directory overlaps the root", [](auto& d) { d.typeTarget = kDir | 4; },
       "the directory of #6 overlaps another directory or is reached twice"},
      {"subdirectory outside the section", [](auto& d) { d.typeTarget = kDir | 0x7FFFFFF0; },
       "the directory of #6 lies outside the resource section"},
      {"root claims 65535 entries", [](auto& d) { d.rootCounts = 0xFFFFu << 16; },
       "the root directory runs past the end of the resource section"},
      {"type name string outside", [](auto& d) { d.typeName = kDir | 0x00FFFFF0; },
       "the string name of a resource type lies outside the resource section"},
      {"name string runs past the end",
       [](auto& d) {
         d.nameName = kDir | 0x60;
         d.stringLength = 0x7000;
       },
       "the string name of a resource name lies outside the resource section"},
      {"type entry points at data", [](auto& d) { d.typeTarget = 0x48; },
       "the type entry #6 points to data instead of a directory"},
      {"language entry is a directory", [](auto& d) { d.languageTarget = kDir | 0x48; },
       "resource #1 has a directory where its data entry belongs"},
      {"data entry outside the section", [](auto& d) { d.languageTarget = 0x7FFFFF00; },
       "the data entry of resource #1 lies outside the resource section"},
      {"data outside the file", [](auto& d) { d.dataRva = 0x900000; },
       "the data of resource #1 lies outside the file"},
      {"data size runs past the section", [](auto& d) { d.dataSize = 0xFFFFFFFF; },
       "the data of resource #1 lies outside the file"},
      {"language with a string name", [](auto& d) { d.language = kDir | 0x60; },
       "a language of resource #1 has a string name"},
      {"type id beyond 16 bits", [](auto& d) { d.typeName = 0x12345; },
       "a resource type has an id beyond 65535"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HandMadeDirectory directory;
    c.bend(directory);
    const std::string file = ImageWithResources(directory.Bytes());
    WriteBytes(dir / "bad.exe", file);
    std::string error;
    const auto reader = PeResourceReader::Open(dir / "bad.exe", &error);
    ASSERT_TRUE(reader.has_value()) << error;
    EXPECT_EQ(reader->Problem(), "malformed resource directory: " + c.problem);
    for (const ResourceId& type : reader->Types())
      for (const ResourceId& name : reader->Names(type))
        for (uint16_t language : reader->Languages(type, name))
          (void)reader->Read(type, name, language);
    EXPECT_FALSE(ReadFixedFileInfo(dir / "bad.exe").has_value());
    // The editor refuses: rewriting would lose what it cannot read.
    error.clear();
    EXPECT_FALSE(ResourceUpdate::Begin(dir / "bad.exe", &error).has_value());
    EXPECT_EQ(error, "malformed resource directory: " + c.problem);
    EXPECT_EQ(ReadBytes(dir / "bad.exe"), file);
  }
}

TEST(HostileResources, ResourceDirectoryOutsideTheFileFailsToOpen) {
  CraftedPe pe;
  pe.sections.push_back({".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020});
  pe.directories[2] = {0x8000, 0x100};
  TempDir dir;
  WriteBytes(dir / "bad.exe", pe.Build());
  std::string error;
  EXPECT_FALSE(PeResourceReader::Open(dir / "bad.exe", &error).has_value());
  EXPECT_EQ(error, "malformed PE file: the resource directory lies outside the file");
  EXPECT_FALSE(ResourceUpdate::Begin(dir / "bad.exe", &error).has_value());
}

// One icon type whose `count` names all point at one string name of
// `length` characters ('N'); each name has its own language table, and all
// their language entries point at one data entry. With `overlapping`, every
// other name starts one character into that string instead.
std::string SharedNameDirectory(uint32_t count, uint16_t length, bool overlapping = false) {
  const uint32_t languages = 24 + 16 + 8 * count;
  const uint32_t dataEntry = languages + 24 * count;
  const uint32_t name = dataEntry + 16 + 8;
  std::string section = Words({0, 0, 0, 1u << 16, kTypeIcon, kDir | 24, 0, 0, 0, count});
  for (uint32_t i = 0; i < count; ++i)
    section += Words({kDir | (name + (overlapping && i % 2 ? 2 : 0)), kDir | (languages + 24 * i)});
  for (uint32_t i = 0; i < count; ++i) section += Words({0, 0, 0, 1u << 16, 0x409, dataEntry});
  section += Words({kRsrcRva + dataEntry + 16, 4, 0, 0}) + "ICON" + std::string(4, '\0');
  section += std::string{static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)};
  for (uint32_t i = 0; i < length; ++i) section += std::string("N\0", 2);
  return section;
}

TEST(HostileResources, ANameManyEntriesShareIsHeldAndWrittenOnce) {
  constexpr uint32_t kEntries = 2000;
  TempDir dir;
  const std::string file = ImageWithResources(SharedNameDirectory(kEntries, 0xFFFF));
  WriteBytes(dir / "shared.dll", file);
  {
    const auto reader = PeResourceReader::Open(dir / "shared.dll", nullptr);
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->Problem(), "");
    const auto names = reader->Names(ResourceId::Integer(kTypeIcon));
    ASSERT_EQ(names.size(), kEntries);
    EXPECT_EQ(names.front().Name(), WString(0xFFFF, u'N'));
    for (const ResourceId& n : names) ASSERT_EQ(n.NameStorage(), names.front().NameStorage());
  }
  // An edit writes the name once: were it written per entry, the section
  // alone would take kEntries times 128 KiB.
  auto update = ResourceUpdate::Begin(dir / "shared.dll", nullptr);
  ASSERT_TRUE(update.has_value());
  update->Update(kTypeString, 1, 0x409, testing::StringTableBytes({u"", u"kept"}));
  std::string error;
  ASSERT_TRUE(update->Commit(nullptr, &error)) << error;
  EXPECT_LT(fs::file_size(dir / "shared.dll"), file.size() + 0x10000);
  const auto after = PeResourceReader::Open(dir / "shared.dll", nullptr);
  ASSERT_TRUE(after.has_value());
  const auto names = after->Names(ResourceId::Integer(kTypeIcon));
  ASSERT_EQ(names.size(), kEntries);
  EXPECT_EQ(names.back().Name(), WString(0xFFFF, u'N'));
  EXPECT_EQ(after->Read(ResourceId::Integer(kTypeIcon), names.back(), 0x409),
            std::optional<std::string>("ICON"));
}

TEST(HostileResources, OverlappingNamesAreRefused) {
  TempDir dir;
  const std::string file = ImageWithResources(SharedNameDirectory(4, 0xFFFF, true));
  WriteBytes(dir / "overlap.dll", file);
  const auto reader = PeResourceReader::Open(dir / "overlap.dll", nullptr);
  ASSERT_TRUE(reader.has_value());
  const std::string problem =
      "malformed resource directory: the string name of a resource name overlaps another name";
  EXPECT_EQ(reader->Problem(), problem);
  EXPECT_EQ(reader->Names(ResourceId::Integer(kTypeIcon)).size(), 2u);
  std::string error;
  EXPECT_FALSE(ResourceUpdate::Begin(dir / "overlap.dll", &error).has_value());
  EXPECT_EQ(error, problem);
}

// Two icons whose data entries point at 8 bytes each: the first at the
// start of "OVERLAPPING!", the second `secondAt` bytes further.
TEST(HostileResources, DataMayBeSharedButNotOverlap) {
  struct Case {
    const char* what;
    uint32_t secondAt;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"both share the same data", 0, ""},
      {"the second starts inside the first", 4,
       "malformed resource directory: the data of resource #2 overlaps the data of another"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string section =
        Words({0, 0, 0, 1u << 16, kTypeIcon, kDir | 24, 0, 0, 0, 2u << 16, 1, kDir | 56, 2,
               kDir | 80, 0, 0, 0, 1u << 16, 0, 104, 0, 0, 0, 1u << 16, 0, 120}) +
        Words({kRsrcRva + 136, 8, 0, 0, kRsrcRva + 136 + c.secondAt, 8, 0, 0}) + "OVERLAPPING!";
    WriteBytes(dir / "data.dll", ImageWithResources(section));
    const auto reader = PeResourceReader::Open(dir / "data.dll", nullptr);
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->Problem(), c.problem);
    EXPECT_EQ(reader->Read(ResourceId::Integer(kTypeIcon), ResourceId::Integer(2), 0),
              std::string("OVERLAPPING!").substr(c.secondAt, 8));
    EXPECT_EQ(ResourceUpdate::Begin(dir / "data.dll", nullptr).has_value(), c.problem.empty());
  }
}

// The rules against shared-name and overlapping-data abuse refuse nothing a
// real module holds.
TEST(HostileResources, EveryWineLibraryReadsWithoutAProblem) {
  const auto files = testing::WineLibraries();
  if (files.size() < 100) GTEST_SKIP() << "wine's libraries are not installed";
  for (const fs::path& f : files) {
    const auto reader = PeResourceReader::Open(f, nullptr);
    if (reader) {
      EXPECT_EQ(reader->Problem(), "") << f;
    }
  }
}

// Adds a string table to `file`; the error, or "" on success.
std::string AddStrings(const fs::path& file) {
  auto update = ResourceUpdate::Begin(file, nullptr);
  if (!update) return "not opened";
  update->Update(kTypeString, 1, 0x409, testing::StringTableBytes({u"", u"added"}));
  std::string error;
  return update->Commit(nullptr, &error) ? "" : error;
}

// Headers that would put the new section's raw data gigabytes into the file
// are refused before anything is allocated or written.
TEST(HostileLayouts, PaddingBeyondWhatTheFileNeedsIsRefused) {
  struct Case {
    const char* what;
    uint32_t sectionAlignment;
    std::function<void(std::string&)> bend;
    bool refused;
  };
  CraftedPe base;
  const std::vector<Case> cases = {
      {"ordinary layout", 0x1000, [](std::string&) {}, false},
      {"file alignment of a gibibyte", 0x1000,
       [&](std::string& f) { testing::SetU32(f, CraftedPe::kOptionalHeader + 36, 0x40000000); },
       true},
      {"section at 2 GiB below page alignment", 0x200,
       [&](std::string& f) { testing::SetU32(f, base.SectionTable() + 12, 0x7FFF0000); }, true},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CraftedPe pe;
    pe.sectionAlignment = c.sectionAlignment;
    pe.sections.push_back({".text", 0x400, 0, std::string(16, '\xC3'), 0x60000020});
    std::string file = pe.Build();
    c.bend(file);
    WriteBytes(dir / "tiny.exe", file);
    const std::string error = AddStrings(dir / "tiny.exe");
    if (!c.refused) {
      EXPECT_EQ(error, "");
      continue;
    }
    EXPECT_EQ(error.rfind("the section layout of the file would make it ", 0), 0u) << error;
    EXPECT_NE(error.find("far more than its " + std::to_string(file.size()) + " bytes"),
              std::string::npos) << error;
    EXPECT_EQ(ReadBytes(dir / "tiny.exe"), file);
  }
}

// The new resource section goes after the headers and after every section's
// raw and loaded span, so that its addresses map to its own bytes.
TEST(HostileLayouts, ANewSectionLiesPastEverythingTheImageHolds) {
  struct Case {
    const char* what;
    std::vector<testing::CraftedSection> sections;
    uint32_t expectedRva;
  };
  const std::vector<Case> cases = {
      {"every section at address 0", {{".a", 0, 0, ""}, {".b", 0, 0, ""}}, 0x1000},
      {"last section's raw data longer than its virtual size",
       {{".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020},
        {".data", 0x2000, 0x10, std::string(0x1800, 'd')}},
       0x4000},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CraftedPe pe;
    pe.sections = c.sections;
    WriteBytes(dir / "odd.exe", pe.Build());
    ASSERT_EQ(AddStrings(dir / "odd.exe"), "");
    const auto reader = PeResourceReader::Open(dir / "odd.exe", nullptr);
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->Image().Directory(kResourceDirectory).address, c.expectedRva);
    EXPECT_EQ(reader->Image().Sections().back().virtualAddress, c.expectedRva);
    EXPECT_EQ(reader->Read(ResourceId::Integer(kTypeString), ResourceId::Integer(1), 0x409),
              testing::StringTableBytes({u"", u"added"}));
  }
}

TEST(HostileFiles, TruncatedFixtureFailsCleanlyAtEveryLength) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  const std::string whole = ReadBytes(testing::StrippedFixtureExe());
  TempDir dir;
  const fs::path cut = dir / "cut.exe";
  std::vector<size_t> lengths;
  for (size_t n = 0; n < 0x400 && n < whole.size(); n += 7) lengths.push_back(n);
  for (size_t n = 0x400; n < whole.size(); n += 193) lengths.push_back(n);
  lengths.push_back(whole.size() - 1);
  for (size_t n : lengths) {
    SCOPED_TRACE(n);
    WriteBytes(cut, whole.substr(0, n));
    std::string error;
    EXPECT_FALSE(PeResourceReader::Open(cut, &error).has_value());
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadFixedFileInfo(cut).has_value());
    error.clear();
    EXPECT_FALSE(ResourceUpdate::Begin(cut, &error).has_value());
    EXPECT_FALSE(error.empty());
  }
}

#ifndef _WIN32
std::optional<FixedFileInfo> VersionReadThroughDescriptor(const fs::path& file, uint64_t size) {
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  auto info = ReadFixedFileInfo(descriptor, size, file.native());
  ::close(descriptor);
  return info;
}
#endif

// Random damage to the headers and the resource section of the fixture:
// nothing may crash or hang, and every commit that succeeds must give a file
// that reads back with the new resource.
TEST(HostileFiles, MutatedFixturesNeverCrashTheReaderOrTheEditor) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  const std::string whole = ReadBytes(testing::StrippedFixtureExe());
  const auto original = PeResourceReader::Open(testing::StrippedFixtureExe(), nullptr);
  ASSERT_TRUE(original.has_value());
  const DataDirectory rsrc = original->Image().Directory(kResourceDirectory);
  const uint64_t rsrcOffset = *original->Image().RvaToOffset(rsrc.address, 0);
  TempDir dir;
  const fs::path file = dir / "mutated.exe";
  std::mt19937 random(20240611);
  int opened = 0, committed = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = whole;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes; ++i) {
      const bool inHeaders = random() % 3 == 0;
      const uint64_t at = inHeaders ? random() % 0x200 : rsrcOffset + random() % 0x200;
      bytes[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random());
    }
    WriteBytes(file, bytes);
    if (const auto reader = PeResourceReader::Open(file, nullptr)) {
      ++opened;
      for (const ResourceId& type : reader->Types())
        for (const ResourceId& name : reader->Names(type))
          if (const auto found = reader->Find(type, name.ToText()))
            (void)ReadIconImageSize(found->bytes);
    }
    (void)ReadFixedFileInfo(file);
#ifndef _WIN32
    // Read in parts (its size known) or whole, the answer is the same.
    EXPECT_EQ(VersionReadThroughDescriptor(file, bytes.size()),
              VersionReadThroughDescriptor(file, kSizeUnknown));
#endif
    if (round % 10 != 0) continue;
    auto update = ResourceUpdate::Begin(file, nullptr);
    if (!update) continue;
    update->Update(kTypeString, 1, 0x0C09, testing::StringTableBytes({u"", u"mutated"}));
    std::string error;
    if (!update->Commit(nullptr, &error)) continue;
    ++committed;
    const auto after = PeResourceReader::Open(file, &error);
    ASSERT_TRUE(after.has_value()) << error;
    EXPECT_EQ(after->Problem(), "");
    EXPECT_EQ(after->Read(ResourceId::Integer(kTypeString), ResourceId::Integer(1), 0x0C09),
              testing::StringTableBytes({u"", u"mutated"}));
  }
  EXPECT_GT(opened, 100);
  EXPECT_GT(committed, 10);
}

}  // namespace
}  // namespace tidewell::pe
