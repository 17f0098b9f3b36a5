#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

#include "CraftedPe.h"
#include "PeTestSupport.h"
#include "pe/MappedFile.h"
#include "pe/PeImage.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceUpdate.h"
#include "support/TempDir.h"

namespace tidewell::pe {
namespace {

namespace fs = std::filesystem;
using testing::GetU32;
using tidewell::testing::ReadBytes;
using tidewell::testing::TempDir;
using tidewell::testing::WriteBytes;

std::string Noise(size_t size, unsigned start) {
  std::mt19937 random(start);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

bool Edit(const fs::path& file, uint16_t type, uint16_t id, uint16_t language,
          const std::string& bytes, CommitResult* result = nullptr) {
  std::string error;
  auto update = ResourceUpdate::Begin(file, &error);
  if (!update) {
    ADD_FAILURE() << error;
    return false;
  }
  update->Update(type, id, language, bytes);
  const bool ok = update->Commit(result, &error);
  if (!ok) ADD_FAILURE() << error;
  return ok;
}

// What must not change about a section: its name, address, size in memory
// and its bytes.
struct SectionView {
  std::string name;
  uint32_t virtualAddress, virtualSize;
  std::string data;
  friend bool operator==(const SectionView&, const SectionView&) = default;
};

struct Layout {
  std::vector<SectionView> sections;
  std::vector<uint32_t> rawPointers;
  std::string overlay;
  std::string symbols;  // COFF symbol and string tables, wherever they are
  uint32_t sizeOfImage = 0, sizeOfInitializedData = 0, checkSum = 0;
  uint64_t checkSumOffset = 0;
  DataDirectory resources, certificate;
  uint32_t fileAlignment = 0;
};

Layout ReadLayout(const fs::path& path) {
  Layout layout;
  const std::string file = ReadBytes(path);
  const auto image =
      PeImage::Parse({reinterpret_cast<const uint8_t*>(file.data()), file.size()}, nullptr);
  if (!image) {
    ADD_FAILURE() << "not readable: " << path;
    return layout;
  }
  for (const SectionHeader& s : image->Sections()) {
    layout.sections.push_back({s.Name(), s.virtualAddress, s.virtualSize,
                               file.substr(s.pointerToRawData, s.sizeOfRawData)});
    layout.rawPointers.push_back(s.pointerToRawData);
  }
  layout.overlay = file.substr(image->OverlayOffset());
  if (image->PointerToSymbolTable() != 0) {
    // Symbols (18 bytes each), then the string table that gives its own size.
    const uint32_t count = GetU32(file, image->FileHeaderOffset() + 12);
    const uint64_t strings = image->PointerToSymbolTable() + 18ull * count;
    layout.symbols =
        file.substr(image->PointerToSymbolTable(), 18ull * count + GetU32(file, strings));
  }
  layout.sizeOfImage = image->SizeOfImage();
  layout.sizeOfInitializedData = image->SizeOfInitializedData();
  layout.checkSum = image->CheckSum();
  layout.checkSumOffset = image->CheckSumOffset();
  layout.resources = image->Directory(kResourceDirectory);
  layout.certificate = image->Directory(kCertificateTable);
  layout.fileAlignment = image->FileAlignment();
  return layout;
}

std::vector<SectionView> Without(std::vector<SectionView> sections, const std::string& name) {
  std::erase_if(sections, [&](const SectionView& s) { return s.name == name; });
  return sections;
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
    exe_ = dir_ / "Client.exe";
    fs::copy_file(testing::FixtureExe(), exe_);
    before_ = ReadLayout(exe_);
  }

  // The host's independent reader agrees; the Windows build cannot run it.
  void ExpectPefileSeesAValidImage() {
    if (!testing::HaveHostTools()) return;
    const std::string layout = testing::Pefile("layout", {exe_});
    EXPECT_NE(layout.find("checksum valid\n"), std::string::npos) << layout;
    EXPECT_EQ(layout.find("warning"), std::string::npos) << layout;
    EXPECT_EQ(testing::Pefile("resources", {exe_}), testing::ResourceListing(exe_));
  }

  TempDir dir_;
  fs::path exe_;
  Layout before_;
};

TEST_F(LayoutTest, FixtureHasRelocationsAfterItsResources) {
  std::vector<std::string> names;
  for (const auto& s : before_.sections) names.push_back(s.name);
  const auto rsrc = std::find(names.begin(), names.end(), ".rsrc");
  ASSERT_NE(rsrc, names.end());
  ASSERT_NE(rsrc + 1, names.end());
  EXPECT_EQ(*(rsrc + 1), ".reloc");
  EXPECT_FALSE(before_.symbols.empty());
  EXPECT_NE(before_.checkSum, 0u);
}

TEST_F(LayoutTest, SmallChangeStaysInPlaceAndMovesNothingElse) {
  CommitResult result;
  ASSERT_TRUE(
      Edit(exe_, kTypeString, 1, 0x0C09, testing::StringTableBytes({u"", u"short"}), &result));
  EXPECT_FALSE(result.resourceSectionMoved);
  const Layout after = ReadLayout(exe_);
  EXPECT_EQ(Without(after.sections, ".rsrc"), Without(before_.sections, ".rsrc"));
  EXPECT_EQ(after.overlay, before_.overlay);
  EXPECT_EQ(after.symbols, before_.symbols);
  EXPECT_EQ(after.resources.address, before_.resources.address);
  EXPECT_EQ(after.sizeOfImage, before_.sizeOfImage);
  EXPECT_EQ(after.checkSum, testing::ReferenceChecksum(ReadBytes(exe_), after.checkSumOffset));
  ExpectPefileSeesAValidImage();
}

TEST_F(LayoutTest, GrowingWithinTheAddressRangeShiftsOnlyFileOffsets) {
  // The fixture's .rsrc has room in memory up to .reloc but little raw slack:
  // a few more kilobytes make the raw data after it move in the file.
  const auto& rsrc = *std::find_if(before_.sections.begin(), before_.sections.end(),
                                   [](const SectionView& s) { return s.name == ".rsrc"; });
  const auto& reloc = *std::find_if(before_.sections.begin(), before_.sections.end(),
                                    [](const SectionView& s) { return s.name == ".reloc"; });
  const uint32_t slack = reloc.virtualAddress - rsrc.virtualAddress - rsrc.virtualSize;
  ASSERT_GT(slack, 0x800u);
  CommitResult result;
  ASSERT_TRUE(Edit(exe_, kTypeBitmap, 300, 0x0C09, Noise(slack - 0x200, 1), &result));
  EXPECT_FALSE(result.resourceSectionMoved);
  const Layout after = ReadLayout(exe_);
  EXPECT_EQ(Without(after.sections, ".rsrc"), Without(before_.sections, ".rsrc"));
  EXPECT_GT(after.rawPointers.back(), before_.rawPointers.back());
  for (uint32_t pointer : after.rawPointers) EXPECT_EQ(pointer % after.fileAlignment, 0u);
  EXPECT_EQ(after.overlay, before_.overlay);
  EXPECT_EQ(after.symbols, before_.symbols);
  EXPECT_EQ(after.sizeOfImage, before_.sizeOfImage);
  EXPECT_EQ(after.sizeOfInitializedData - before_.sizeOfInitializedData,
            after.sections.size() == before_.sections.size()
                ? after.rawPointers.back() - before_.rawPointers.back()
                : 0u);
  ExpectPefileSeesAValidImage();
}

TEST_F(LayoutTest, OutgrowingTheAddressRangeMovesResourcesToANewLastSection) {
  CommitResult result;
  const std::string picture = Noise(100000, 2);
  ASSERT_TRUE(Edit(exe_, kTypeBitmap, 208, 0x0C09, picture, &result));
  EXPECT_TRUE(result.resourceSectionMoved);
  const Layout after = ReadLayout(exe_);
  ASSERT_EQ(after.sections.size(), before_.sections.size() + 1);
  // Every old section, the old .rsrc included, keeps its address and bytes.
  EXPECT_EQ(std::vector<SectionView>(after.sections.begin(), after.sections.end() - 1),
            before_.sections);
  const SectionView& moved = after.sections.back();
  EXPECT_EQ(moved.name, ".rsrc");
  EXPECT_EQ(after.resources.address, moved.virtualAddress);
  EXPECT_EQ(after.resources.size, moved.virtualSize);
  EXPECT_EQ(moved.virtualAddress, before_.sizeOfImage);
  EXPECT_EQ(after.sizeOfImage,
            (moved.virtualAddress + moved.virtualSize + 0xFFF) / 0x1000 * 0x1000);
  EXPECT_EQ(after.sizeOfInitializedData, before_.sizeOfInitializedData + moved.data.size());
  EXPECT_EQ(after.overlay, before_.overlay);
  EXPECT_EQ(after.symbols, before_.symbols);
  ExpectPefileSeesAValidImage();

  // The next edit finds the resources in the last section and grows it there.
  ASSERT_TRUE(Edit(exe_, kTypeBitmap, 205, 0x0C09, Noise(50000, 3), &result));
  EXPECT_FALSE(result.resourceSectionMoved);
  const Layout again = ReadLayout(exe_);
  EXPECT_EQ(again.sections.size(), after.sections.size());
  EXPECT_EQ(again.overlay, before_.overlay);
  EXPECT_EQ(again.symbols, before_.symbols);
  ExpectPefileSeesAValidImage();
  const auto reader = PeResourceReader::Open(exe_, nullptr);
  EXPECT_EQ(reader->Read(ResourceId::Integer(2), ResourceId::Integer(208), 0x0C09), picture);
}

// A certificate table: WIN_CERTIFICATE (length, revision 0x0200, type 2 =
// PKCS#7) at an 8-byte boundary, pointed at by directory entry 4.
std::string Sign(std::string file, const std::string& afterCertificate) {
  file.resize((file.size() + 7) / 8 * 8, '\0');
  const uint32_t offset = static_cast<uint32_t>(file.size());
  const std::string blob = Noise(1200, 4);
  std::string certificate = testing::Words({static_cast<uint32_t>(8 + blob.size()), 0x00020200});
  certificate += blob;
  file += certificate + afterCertificate;
  const auto image =
      PeImage::Parse({reinterpret_cast<const uint8_t*>(file.data()), file.size()}, nullptr);
  testing::SetU32(file, image->DataDirectoryOffset(kCertificateTable), offset);
  testing::SetU32(file, image->DataDirectoryOffset(kCertificateTable) + 4,
                  static_cast<uint32_t>(certificate.size()));
  return file;
}

TEST(SignedFiles, CertificateAtTheEndIsDroppedAndTheOverlayKept) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  TempDir dir;
  const fs::path exe = dir / "Signed.exe";
  const std::string payload = "installer payload " + Noise(5000, 5);
  const std::string unsignedFile = ReadBytes(testing::StrippedFixtureExe()) + payload;
  WriteBytes(exe, Sign(unsignedFile, ""));
  CommitResult result;
  ASSERT_TRUE(Edit(exe, kTypeString, 1, 0x0C09, testing::StringTableBytes({u"", u"x"}), &result));
  EXPECT_TRUE(result.signatureRemoved);
  const Layout after = ReadLayout(exe);
  EXPECT_EQ(after.certificate.address, 0u);
  EXPECT_EQ(after.certificate.size, 0u);
  // The overlay is the payload and the alignment bytes before the table.
  const size_t padding = (unsignedFile.size() + 7) / 8 * 8 - unsignedFile.size();
  EXPECT_EQ(after.overlay, payload + std::string(padding, '\0'));
  EXPECT_EQ(after.checkSum, testing::ReferenceChecksum(ReadBytes(exe), after.checkSumOffset));
}

TEST(SignedFiles, CertificateFollowedByOtherBytesLeavesThemInPlace) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  TempDir dir;
  const fs::path exe = dir / "Signed.exe";
  const std::string signedFile = Sign(ReadBytes(testing::StrippedFixtureExe()), "appended later");
  const Layout before = [&] {
    WriteBytes(exe, signedFile);
    return ReadLayout(exe);
  }();
  CommitResult result;
  ASSERT_TRUE(Edit(exe, kTypeString, 1, 0x0C09, testing::StringTableBytes({u"", u"x"}), &result));
  EXPECT_TRUE(result.signatureRemoved);
  const Layout after = ReadLayout(exe);
  EXPECT_EQ(after.certificate.address, 0u);
  EXPECT_EQ(after.overlay, before.overlay);
}

TEST(SignedFiles, UnsignedFileIsNotReportedAsSigned) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  TempDir dir;
  fs::copy_file(testing::StrippedFixtureExe(), dir / "Plain.exe");
  CommitResult result;
  result.signatureRemoved = true;
  ASSERT_TRUE(Edit(dir / "Plain.exe", kTypeString, 1, 0x0C09, "abc", &result));
  EXPECT_FALSE(result.signatureRemoved);
}

TEST(CheckSum, ZeroCheckSumStaysZero) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  TempDir dir;
  std::string file = ReadBytes(testing::StrippedFixtureExe());
  const Layout layout = [&] {
    WriteBytes(dir / "NoSum.exe", file);
    return ReadLayout(dir / "NoSum.exe");
  }();
  testing::SetU32(file, layout.checkSumOffset, 0);
  WriteBytes(dir / "NoSum.exe", file);
  CommitResult result;
  ASSERT_TRUE(Edit(dir / "NoSum.exe", kTypeString, 1, 0x0C09, "abc", &result));
  EXPECT_FALSE(result.checkSumUpdated);
  EXPECT_EQ(ReadLayout(dir / "NoSum.exe").checkSum, 0u);
}

TEST(CheckSum, OddLengthFilesSumTheirLastByte) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  TempDir dir;
  WriteBytes(dir / "Odd.exe", ReadBytes(testing::StrippedFixtureExe()) + "odd");
  CommitResult result;
  ASSERT_TRUE(Edit(dir / "Odd.exe", kTypeString, 1, 0x0C09, "abcde", &result));
  EXPECT_TRUE(result.checkSumUpdated);
  const std::string after = ReadBytes(dir / "Odd.exe");
  EXPECT_EQ(after.size() % 2, 1u);
  EXPECT_EQ(ReadLayout(dir / "Odd.exe").checkSum,
            testing::ReferenceChecksum(after, ReadLayout(dir / "Odd.exe").checkSumOffset));
  EXPECT_NE(testing::Pefile("layout", {dir / "Odd.exe"}).find("checksum valid"), std::string::npos);
}

TEST(CraftedImages, Pe32WithoutResourcesGainsAResourceSection) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  for (bool pe32Plus : {false, true}) {
    SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
    testing::CraftedPe pe;
    pe.pe32Plus = pe32Plus;
    pe.checkSum = 1;
    pe.sections.push_back({".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020});
    pe.sections.push_back({".data", 0x2000, 0, std::string(40, 'd'), 0xC0000040});
    pe.overlay = "overlay";
    TempDir dir;
    WriteBytes(dir / "Small.exe", pe.Build());
    CommitResult result;
    ASSERT_TRUE(Edit(dir / "Small.exe", kTypeString, 1, 0x0C09, "strings", &result));
    EXPECT_TRUE(result.resourceSectionMoved);
    ASSERT_TRUE(Edit(dir / "Small.exe", kTypeIcon, 2, 0x0C09, "icon", &result));
    EXPECT_FALSE(result.resourceSectionMoved);
    const Layout after = ReadLayout(dir / "Small.exe");
    ASSERT_EQ(after.sections.size(), 3u);
    EXPECT_EQ(after.sections[2].virtualAddress, 0x3000u);
    EXPECT_EQ(after.sizeOfImage, 0x4000u);
    EXPECT_EQ(after.overlay, "overlay");
    const std::string listing = testing::Pefile("resources", {dir / "Small.exe"});
    // CRC-32 of "icon" and of "strings".
    EXPECT_EQ(listing, "file Small.exe\n#3 #2 3081 4 659429db\n#6 #1 3081 7 b49a6af5\n");
    EXPECT_EQ(listing, testing::ResourceListing(dir / "Small.exe"));
    EXPECT_NE(testing::Pefile("layout", {dir / "Small.exe"}).find("checksum valid"),
              std::string::npos);
  }
}

TEST(CraftedImages, DebugDataThatMovesInTheFileIsStillFound) {
  // .rsrc (an empty directory) has address room up to 0x8000 but one file
  // alignment unit of raw data: growing it moves .rdata's raw data, whose
  // debug directory records the file offset of its data.
  testing::CraftedPe pe;
  pe.pe32Plus = true;
  pe.checkSum = 1;
  const std::string debugData = "RSDS" + Noise(20, 8);
  std::string rdata = testing::Words({0, 0x5F000000, 0, 2, 24, 0x8020, 0}) + std::string(4, '\0');
  rdata += debugData;
  pe.sections.push_back({".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020});
  pe.sections.push_back({".rsrc", 0x2000, 0, std::string(16, '\0')});
  pe.sections.push_back({".rdata", 0x8000, 0, rdata});
  const uint32_t debugPointer = pe.RawOffset(2) + 24;  // PointerToRawData of the entry
  pe.directories[2] = {0x2000, 16};
  pe.directories[6] = {0x8000, 28};
  std::string file = pe.Build();
  testing::SetU32(file, debugPointer, pe.RawOffset(2) + 0x20);
  TempDir dir;
  const fs::path exe = dir / "Debug.exe";
  WriteBytes(exe, file);
  const Layout before = ReadLayout(exe);

  CommitResult result;
  ASSERT_TRUE(Edit(exe, kTypeBitmap, 1, 0x0C09, Noise(0x1800, 9), &result));
  EXPECT_FALSE(result.resourceSectionMoved);
  const Layout after = ReadLayout(exe);
  ASSERT_GT(after.rawPointers[2], before.rawPointers[2]);
  const std::string edited = ReadBytes(exe);
  const uint32_t newPointer = GetU32(edited, after.rawPointers[2] + 24);
  EXPECT_EQ(newPointer, after.rawPointers[2] + 0x20);
  EXPECT_EQ(edited.substr(newPointer, debugData.size()), debugData);
  // Apart from that pointer, .rdata is unchanged.
  std::string expected = before.sections[2].data;
  testing::SetU32(expected, 24, newPointer);
  EXPECT_EQ(after.sections[2].data, expected);
  EXPECT_EQ(after.checkSum, testing::ReferenceChecksum(edited, after.checkSumOffset));
}

TEST(CraftedImages, ResourcesSharingASectionMoveToTheirOwn) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  // The resource directory lies inside .rdata, after other data: .rdata
  // cannot be rewritten, so the resources go to a new last section.
  testing::CraftedPe pe;
  pe.pe32Plus = false;
  std::string rdata = Noise(0x100, 10) + std::string(16, '\0');
  pe.sections.push_back({".text", 0x1000, 0, std::string(16, '\xC3'), 0x60000020});
  pe.sections.push_back({".rdata", 0x2000, 0, rdata});
  pe.directories[1] = {0x2000, 0x28};
  pe.directories[2] = {0x2100, 16};
  TempDir dir;
  const fs::path exe = dir / "Shared.exe";
  WriteBytes(exe, pe.Build());
  const Layout before = ReadLayout(exe);
  CommitResult result;
  ASSERT_TRUE(Edit(exe, kTypeString, 1, 0x0C09, "strings", &result));
  EXPECT_TRUE(result.resourceSectionMoved);
  const Layout after = ReadLayout(exe);
  ASSERT_EQ(after.sections.size(), 3u);
  EXPECT_EQ(after.sections[1], before.sections[1]);
  EXPECT_EQ(after.sections[2].name, ".rsrc");
  EXPECT_EQ(after.resources.address, 0x3000u);
  EXPECT_EQ(testing::Pefile("resources", {exe}), "file Shared.exe\n#6 #1 3081 7 b49a6af5\n");
}

TEST(CraftedImages, SectionsBelowPageAlignmentKeepTheirRawDataAtTheirAddresses) {
  // File and section alignment 0x200: every section's raw data sits at its
  // RVA, and must stay there.
  testing::CraftedPe pe;
  pe.pe32Plus = true;
  pe.fileAlignment = pe.sectionAlignment = 0x200;
  pe.sections.push_back({".text", 0x400, 0, std::string(16, '\xC3'), 0x60000020});
  pe.sections.push_back({".rsrc", 0x600, 0, std::string(16, '\0')});
  pe.sections.push_back({".reloc", 0x800, 0, std::string(12, 'r')});
  pe.directories[2] = {0x600, 16};
  TempDir dir;
  const fs::path exe = dir / "Low.exe";
  WriteBytes(exe, pe.Build());
  const SectionView relocations = ReadLayout(exe).sections[2];
  for (size_t size : {0x100, 0x1000, 0x3000}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(Edit(exe, kTypeBitmap, 1, 0x0C09, Noise(size, 11)));
    const Layout after = ReadLayout(exe);
    for (size_t i = 0; i < after.sections.size(); ++i)
      EXPECT_EQ(after.rawPointers[i], after.sections[i].virtualAddress) << after.sections[i].name;
    EXPECT_EQ(after.sections[2], relocations);
  }
  const Layout last = ReadLayout(exe);
  ASSERT_EQ(last.sections.size(), 4u);  // in place, then moved once, then grown at the end
  EXPECT_EQ(last.sections[3].virtualAddress, 0xA00u);
  const auto reader = PeResourceReader::Open(exe, nullptr);
  EXPECT_EQ(reader->Read(ResourceId::Integer(2), ResourceId::Integer(1), 0x0C09),
            Noise(0x3000, 11));
}

// Real libraries: one resource rewritten, every other resource, section and
// the overlay as they were, and pefile finds a valid checksum.
TEST(WineLibraries, RewritingOneResourceKeepsEverythingElse) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  TempDir dir;
  for (const char* name : {"shell32.dll", "notepad.exe"}) {
    SCOPED_TRACE(name);
    const fs::path source = testing::WineLibraryDir() / name;
    if (!fs::exists(source)) GTEST_SKIP() << "wine's libraries are not installed";
    const fs::path copy = dir / name;
    fs::copy_file(source, copy);
    const Layout before = ReadLayout(copy);
    const std::string listing = testing::ResourceListing(copy);
    const std::string table = testing::StringTableBytes({u"", u"replaced"});
    CommitResult result;
    ASSERT_TRUE(Edit(copy, kTypeString, 1, 0x0C09, table, &result));
    const Layout after = ReadLayout(copy);
    const size_t old = before.sections.size();
    EXPECT_EQ(
        Without(std::vector<SectionView>(after.sections.begin(), after.sections.begin() + old),
                ".rsrc"),
        Without(before.sections, ".rsrc"));
    EXPECT_EQ(after.overlay, before.overlay);
    EXPECT_EQ(after.symbols, before.symbols);
    // The listing is the old one with the string table of 3081 replaced or added.
    const std::string edited = testing::ResourceListing(copy);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", testing::Crc32(table));
    const std::string line = "#6 #1 3081 " + std::to_string(table.size()) + " " + crc + "\n";
    ASSERT_NE(edited.find(line), std::string::npos);
    std::string withoutLine = edited;
    withoutLine.erase(withoutLine.find(line), line.size());
    std::string oldWithoutLine = listing;
    const size_t oldLine = oldWithoutLine.find("#6 #1 3081 ");
    if (oldLine != std::string::npos)
      oldWithoutLine.erase(oldLine, oldWithoutLine.find('\n', oldLine) + 1 - oldLine);
    EXPECT_EQ(withoutLine, oldWithoutLine);
    const std::string pefile = testing::Pefile("layout", {copy});
    EXPECT_NE(pefile.find("checksum valid"), std::string::npos);
    EXPECT_EQ(testing::Pefile("resources", {copy}), edited);
  }
}

// The edited program still loads under wine and reads the new strings, with
// the resources in place and after they moved to a new last section.
TEST_F(LayoutTest, EditedProgramRunsUnderWine) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  if (testing::RunCommand("command -v wine").status != 0) GTEST_SKIP() << "wine is not installed";
  const fs::path moved = dir_ / "Moved.exe";
  fs::copy_file(exe_, moved);
  ASSERT_TRUE(Edit(exe_, kTypeString, 1, 0x0C09,
                   testing::StringTableBytes(
                       {u"", u"Tidewell in place", u"", u"", u"", u"", u"", u"True", u"1 0"})));
  ASSERT_TRUE(Edit(moved, kTypeBitmap, 208, 0x0C09, Noise(200000, 6)));
  ASSERT_TRUE(Edit(moved, kTypeString, 1, 0x0C09,
                   testing::StringTableBytes({u"", u"Tidewell moved \u00e9t\u00e9"})));
  const std::string prefix = testing::Quote(dir_ / "wineprefix");
  auto run = [&](const fs::path& program) {
    return testing::RunCommand("env -u DISPLAY WINEDEBUG=-all WINEPREFIX=" + prefix +
                               " timeout 120 wine " + testing::Quote(program) + " 2>/dev/null")
        .output;
  };
  std::string inPlace = run(exe_), afterMove = run(moved);
  testing::RunCommand("env WINEPREFIX=" + prefix + " wineserver -k 2>/dev/null");
  std::erase(inPlace, '\r');
  std::erase(afterMove, '\r');
  EXPECT_EQ(inPlace, "1=Tidewell in place\n7=True\n8=1 0\nend\n");
  EXPECT_EQ(afterMove, "1=Tidewell moved \xc3\xa9t\xc3\xa9\nend\n");
}

}  // namespace
}  // namespace tidewell::pe
