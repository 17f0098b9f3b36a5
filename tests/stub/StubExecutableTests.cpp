// The built Tidewatch.exe: its resources as an independent reader lists them,
// and what it prints under wine, against the pictures and icon the build drew
// and the client strings of a new project.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "ByteReader.h"
#include "DumpReport.h"
#include "build/ClientStringTable.h"
#include "content/VariableList.h"
#include "pe/PeVersion.h"
#include "project/ProjectSettings.h"
#include "stub/WineRunner.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kStub = TIDEWATCH_STUB;
const fs::path kResources = TIDEWATCH_RESOURCE_DIR;
const fs::path kOddStub = TIDEWATCH_ODD_STUB;
const fs::path kOddResources = TIDEWATCH_ODD_RESOURCE_DIR;

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::string resource;  // the file without its 14-byte file header
};

// Read straight from the .bmp file the build drew: width and height stand at
// offsets 18 and 22.
Picture GeneratedPicture(const char* name) {
  const std::string file = ReadBytes(kResources / name);
  const tidewatch::ByteReader r(file);
  return {r.I32(18).value_or(0), r.I32(22).value_or(0), file.size() > 14 ? file.substr(14) : std::string()};
}

struct IconImage {
  int width = 0;
  int height = 0;
  std::string bytes;
};

// The images of the .ico file in file order, from its directory.
std::vector<IconImage> GeneratedIcons() {
  const std::string file = ReadBytes(kResources / "Tidewatch.ico");
  const tidewatch::ByteReader r(file);
  std::vector<IconImage> images;
  for (uint16_t i = 0; i < r.U16(4).value_or(0); ++i) {
    const size_t entry = 6 + 16u * i;
    const uint32_t size = r.U32(entry + 8).value_or(0);
    const uint32_t offset = r.U32(entry + 12).value_or(0);
    images.push_back({r.U8(entry).value_or(0), r.U8(entry + 1).value_or(0), file.substr(offset, size)});
  }
  return images;
}

ClientStringTable NewProjectStrings() {
  return ClientStringTable::FromSettings(ProjectSettings(), VariableList());
}

std::string Utf8(std::u16string_view text) { return text::ToUtf8(text); }

std::string Number(int64_t n) { return std::to_string(n); }

// What --dump must print for the stub as built.
std::string ExpectedDump() {
  std::string dump;
  const ClientStringTable strings = NewProjectStrings();
  for (size_t i = 0; i < kClientStringCount; ++i)
    dump += "string " + Number(static_cast<int64_t>(i)) + ": " + Utf8(tidewatch::QuoteForReport(strings.Get(i))) + "\n";
  const std::pair<int, const char*> pictures[] = {{205, "TopPicture.bmp"}, {208, "MainPicture.bmp"}};
  for (const auto& [id, name] : pictures) {
    const Picture p = GeneratedPicture(name);
    dump += "bitmap " + Number(id) + ": " + Number(p.width) + " x " + Number(p.height) + ", " +
            Number(static_cast<int64_t>(p.resource.size())) + " bytes\n";
  }
  const std::vector<IconImage> icons = GeneratedIcons();
  for (size_t i = 0; i < icons.size(); ++i) {
    dump += "icon " + Number(static_cast<int64_t>(i + 1)) + ": " + Number(icons[i].width) + " x " +
            Number(icons[i].height) + ", " + Number(static_cast<int64_t>(icons[i].bytes.size())) + " bytes\n";
  }
  return dump;
}

// ---- the independent reader ------------------------------------------------

struct Listing {
  std::vector<std::string> sections;
  std::vector<std::string> imports;
  struct Resource {
    int type, id, language;
    std::string bytes;
  };
  std::vector<Resource> resources;

  const Resource* Find(int type, int id) const {
    for (const auto& r : resources)
      if (r.type == type && r.id == id) return &r;
    return nullptr;
  }
};

std::string FromHex(const std::string& hex) {
  std::string bytes;
  if (hex == "-") return bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

Listing ListWithPefile(const fs::path& exe) {
  const std::string command =
      std::string("\"") + TIDEWELL_SYSTEM_PYTHON3 + "\" \"" + TIDEWATCH_LIST_RESOURCES + "\" \"" + exe.string() + "\"";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
  }
  Listing listing;
  std::istringstream lines(output);
  std::string kind;
  while (lines >> kind) {
    if (kind == "section" || kind == "import") {
      std::string name;
      lines >> name;
      (kind == "section" ? listing.sections : listing.imports).push_back(name);
    } else if (kind == "resource") {
      Listing::Resource r{};
      size_t size = 0;
      std::string hex;
      lines >> r.type >> r.id >> r.language >> size >> hex;
      r.bytes = FromHex(hex);
      EXPECT_EQ(r.bytes.size(), size);
      listing.resources.push_back(std::move(r));
    }
  }
  return listing;
}

TEST(StubResources, AreAllUnderTheClientLanguage) {
#ifdef _WIN32
  GTEST_SKIP() << "python3-pefile runs on the Linux build host only";
#endif
  const Listing listing = ListWithPefile(kStub);
  std::set<std::pair<int, int>> found;
  for (const auto& r : listing.resources) {
    found.insert({r.type, r.id});
    EXPECT_EQ(r.language, 3081) << "type " << r.type << " id " << r.id;
  }
  const std::set<std::pair<int, int>> expected = {{2, 205}, {2, 208}, {3, 1}, {3, 2},
                                                  {6, 1},   {14, 1},  {16, 1}, {24, 1}};
  EXPECT_EQ(found, expected);
}

TEST(StubResources, RelocationsFollowTheResourceSection) {
#ifdef _WIN32
  GTEST_SKIP() << "python3-pefile runs on the Linux build host only";
#endif
  const Listing listing = ListWithPefile(kStub);
  const auto rsrc = std::find(listing.sections.begin(), listing.sections.end(), ".rsrc");
  ASSERT_NE(rsrc, listing.sections.end());
  ASSERT_NE(rsrc + 1, listing.sections.end());
  EXPECT_EQ(*(rsrc + 1), ".reloc");
}

TEST(StubResources, LoadsOnlyTheRegistryAndTheRuntimeAtStart) {
#ifdef _WIN32
  GTEST_SKIP() << "python3-pefile runs on the Linux build host only";
#endif
  // A start that does not check must not pay for HTTP, the shell, COM or the
  // window: those system libraries are loaded on first use, and the client
  // loads only these when it starts.
  const std::set<std::string> atStart = {"advapi32.dll", "kernel32.dll", "msvcrt.dll"};
  const Listing listing = ListWithPefile(kStub);
  std::set<std::string> imports;
  for (const auto& dll : listing.imports) {
    std::string lower = dll;
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    imports.insert(lower);
  }
  EXPECT_EQ(imports, atStart);
}

TEST(StubResources, HoldTheGeneratedPicturesAndIcons) {
#ifdef _WIN32
  GTEST_SKIP() << "python3-pefile runs on the Linux build host only";
#endif
  const Listing listing = ListWithPefile(kStub);
  const std::pair<int, const char*> pictures[] = {{205, "TopPicture.bmp"}, {208, "MainPicture.bmp"}};
  for (const auto& [id, name] : pictures) {
    const auto* r = listing.Find(2, id);
    ASSERT_NE(r, nullptr) << id;
    EXPECT_TRUE(r->bytes == GeneratedPicture(name).resource) << "bitmap " << id << " differs from " << name;
  }
  const std::vector<IconImage> icons = GeneratedIcons();
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(std::pair(icons[0].width, icons[1].width), std::pair(32, 16));
  for (int id = 1; id <= 2; ++id) {
    const auto* r = listing.Find(3, id);
    ASSERT_NE(r, nullptr) << id;
    EXPECT_TRUE(r->bytes == icons[static_cast<size_t>(id - 1)].bytes) << "icon image " << id;
  }
  // The group: two entries of 14 bytes after its 6-byte head, each ending in
  // the image id.
  const auto* group = listing.Find(14, 1);
  ASSERT_NE(group, nullptr);
  const tidewatch::ByteReader g(group->bytes);
  ASSERT_EQ(g.U16(4), 2);
  EXPECT_EQ(std::tuple(g.U8(6), g.U8(7), g.U16(6 + 12)), std::tuple(uint8_t{32}, uint8_t{32}, uint16_t{1}));
  EXPECT_EQ(std::tuple(g.U8(20), g.U8(21), g.U16(20 + 12)), std::tuple(uint8_t{16}, uint8_t{16}, uint16_t{2}));
}

TEST(StubResources, StringTableIsTheToolsEncodingOfANewProject) {
#ifdef _WIN32
  GTEST_SKIP() << "python3-pefile runs on the Linux build host only";
#endif
  const Listing listing = ListWithPefile(kStub);
  const auto* block = listing.Find(6, 1);
  ASSERT_NE(block, nullptr);
  const auto encoded = NewProjectStrings().Encode();
  ASSERT_TRUE(encoded.has_value());
  EXPECT_EQ(block->bytes, *encoded);
}

TEST(StubResources, VersionIsTheProducts) {
  const auto info = pe::ReadFixedFileInfo(kStub);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->signature, 0xFEEF04BDu);
  EXPECT_EQ(info->fileVersionMS, (TIDEWELL_VERSION_MAJOR << 16) | TIDEWELL_VERSION_MINOR);
  EXPECT_EQ(info->fileVersionLS, static_cast<uint32_t>(TIDEWELL_VERSION_PATCH << 16));
}

// ---- under wine -------------------------------------------------------------

class StubUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!WineRunner::Available()) GTEST_SKIP() << "wine is not installed";
  }
  WineRunner wine_;
};

TEST_F(StubUnderWine, DumpShowsTheDefaultsOfANewProject) {
  const WineRun run = wine_.Run(kStub, {"--dump"});
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.out, ExpectedDump()) << run.err;
}

TEST_F(StubUnderWine, DumpOfDamagedResourcesSaysWhatIsWrong) {
  std::string expected = "string 0: \"abc\"\nstring 1: \"\"\n";
  for (int i = 2; i < 16; ++i) expected += "string " + Number(i) + ": missing\n";
  expected += "bitmap 205: not a bitmap, 0 bytes\n";
  expected += "bitmap 208: 100 x 100, 240 bytes, not drawable\n";
  expected += "icon 1: not an icon image, 7 bytes\n";
  // Icon image 2 exists only under another language: the loader finds it.
  expected += "icon 2: 16 x 16, " + Number(static_cast<int64_t>(fs::file_size(kOddResources / "SmallIcon.bin"))) +
              " bytes\n";
  const WineRun run = wine_.Run(kOddStub, {"--dump"});
  EXPECT_EQ(run.out, expected) << run.err;
  // The damaged client still reads an update file.
  TempDir dir;
  WriteBytes(dir / "u.xml", "<Tidemark><Welcome>Hi</Welcome></Tidemark>");
  const WineRun welcome = wine_.Run(kOddStub, {"--dump-welcome", (dir / "u.xml").string()});
  EXPECT_NE(welcome.out.find("\nwelcome: \"Hi\"\n"), std::string::npos) << welcome.out << welcome.err;
}

// The value of `key` in a --dump-welcome report, without its quotation marks.
std::string ReportValue(const std::string& report, const std::string& key) {
  const size_t at = report.find(key + ": \"");
  if (at == std::string::npos) return {};
  const size_t start = at + key.size() + 3;
  const size_t end = report.find("\"\n", start);
  return end == std::string::npos ? std::string() : report.substr(start, end - start);
}

TEST_F(StubUnderWine, PreviewReadsTheUpdateFileBesideTheClient) {
  // As the tool leaves a project folder: the client and the update file side
  // by side, and the client started from elsewhere with the name unquoted.
  TempDir dir;
  const fs::path project = dir / "My Project";
  fs::create_directories(project);
  fs::copy_file(kStub, project / "Tidewatcher.exe");
  WriteBytes(project / "My Update.xml",
             "<Tidemark>\r\n\t<CompanyName>Caf\xC3\xA9 &amp; Co</CompanyName>\r\n"
             "\t<Welcome>Hi %Login%,\r\n\r\nSee &lt;%Platform%&gt; &amp; %Variable2%</Welcome>\r\n</Tidemark>\r\n");
  WriteBytes(project / "Old.xml", "<Tidemark><Welcome>Caf\xE9</Welcome></Tidemark>");
  fs::create_directories(dir / "elsewhere");

  const WineRun run = wine_.Run(project / "Tidewatcher.exe", {"--dump-welcome", "My", "Update.xml"}, dir / "elsewhere");
  const std::string login = ReportValue(run.out, "login");
  const std::string platform = ReportValue(run.out, "platform");
  ASSERT_FALSE(login.empty()) << run.out << run.err;
  EXPECT_TRUE(platform.starts_with("Windows")) << platform;
  EXPECT_EQ(ReportValue(run.out, "welcome"), "Hi " + login + ",\\r\\n\\r\\nSee <" + platform + "> & %Variable2%");

  // Bytes that are not UTF-8 are read as ISO 8859-1.
  const WineRun old = wine_.Run(project / "Tidewatcher.exe", {"--dump-welcome", "Old.xml"}, dir / "elsewhere");
  EXPECT_EQ(ReportValue(old.out, "welcome"), "Caf\xC3\xA9");

  const WineRun missing = wine_.Run(project / "Tidewatcher.exe", {"--dump-welcome", "Gone.xml"}, dir / "elsewhere");
  EXPECT_EQ(ReportValue(missing.out, "message"), "The update file could not be read:\\r\\nGone.xml");
}

}  // namespace
}  // namespace tidewell::testing
