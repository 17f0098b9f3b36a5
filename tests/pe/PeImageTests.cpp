#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "CraftedPe.h"
#include "PeTestSupport.h"
#include "pe/ByteReader.h"
#include "pe/PeImage.h"

namespace tidewell::pe {
namespace {

using testing::CraftedPe;
using testing::CraftedSection;

std::span<const uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

CraftedPe TwoSections(bool pe32Plus) {
  CraftedPe pe;
  pe.pe32Plus = pe32Plus;
  pe.sections.push_back({".text", 0x1000, 0, std::string(0x30, '\xC3'), 0x60000020});
  pe.sections.push_back({".data", 0x2000, 0x1800, std::string(0x300, 'd')});
  pe.directories[5] = {0x2000, 0x10};
  pe.overlay = "tail bytes";
  return pe;
}

TEST(ByteReader, ReadsOnlyWholeRangesInsideTheBuffer) {
  const std::string bytes("\x01\x02\x03\x04\x05", 5);
  const ByteReader r(bytes);
  EXPECT_EQ(r.readU32(1), std::optional<uint32_t>(0x05040302));
  EXPECT_EQ(r.readU32(2), std::nullopt);
  EXPECT_EQ(r.readU16(4), std::nullopt);
  EXPECT_EQ(r.readU8(4), std::optional<uint8_t>(5));
  EXPECT_EQ(r.readU8(5), std::nullopt);
  EXPECT_EQ(r.readU64(0), std::nullopt);
  // Offsets near the top of the range must not wrap around.
  EXPECT_EQ(r.readU32(std::numeric_limits<uint64_t>::max() - 1), std::nullopt);
  EXPECT_FALSE(r.readBytes(2, std::numeric_limits<uint64_t>::max()).has_value());
  const auto sub = r.Sub(3, 2);
  ASSERT_TRUE(sub.has_value());
  EXPECT_EQ(sub->readU16(0), std::optional<uint16_t>(0x0504));
  EXPECT_EQ(sub->readU16(1), std::nullopt);
}

TEST(PeImage, ParsesPe32AndPe32PlusHeaders) {
  for (bool pe32Plus : {false, true}) {
    SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
    const CraftedPe crafted = TwoSections(pe32Plus);
    const std::string file = crafted.Build();
    std::string error;
    const auto image = PeImage::Parse(AsBytes(file), &error);
    ASSERT_TRUE(image.has_value()) << error;
    EXPECT_EQ(image->Is64(), pe32Plus);
    EXPECT_EQ(image->FileAlignment(), 0x200u);
    EXPECT_EQ(image->SectionAlignment(), 0x1000u);
    EXPECT_EQ(image->SizeOfHeaders(), 0x400u);
    EXPECT_EQ(image->SizeOfImage(), 0x4000u);
    EXPECT_EQ(image->NumberOfDirectories(), 16u);
    EXPECT_EQ(image->Directory(5).address, 0x2000u);
    EXPECT_EQ(image->Directory(5).size, 0x10u);
    EXPECT_EQ(image->CheckSumOffset(), crafted.kOptionalHeader + 64u);
    EXPECT_EQ(image->DataDirectoryOffset(2), crafted.DirectoryOffset(2));
    ASSERT_EQ(image->Sections().size(), 2u);
    EXPECT_EQ(image->Sections()[1].Name(), ".data");
    EXPECT_EQ(image->Sections()[1].virtualSize, 0x1800u);
    EXPECT_EQ(image->Sections()[1].pointerToRawData, crafted.RawOffset(1));
    EXPECT_EQ(image->OverlayOffset(), file.size() - crafted.overlay.size());
    EXPECT_EQ(image->RvaToOffset(0x2010, 0x10),
              std::optional<uint64_t>(crafted.RawOffset(1) + 0x10));
    // Past the raw data the section is zero-filled in memory only.
    EXPECT_EQ(image->RvaToOffset(0x2400, 4), std::nullopt);
    EXPECT_EQ(image->RvaToOffset(0x23FE, 4), std::nullopt);
    EXPECT_EQ(image->RvaToOffset(0x23FC, 4), std::optional<uint64_t>(crafted.RawOffset(1) + 0x3FC));
    EXPECT_EQ(image->RvaToOffset(0x9000, 1), std::nullopt);
    EXPECT_EQ(image->SectionOfRva(0x2FFF), std::optional<size_t>(1));
  }
}

struct HeaderCase {
  const char* what;
  std::function<void(std::string&)> mutate;
  const char* error;
};

TEST(PeImage, RefusesHeadersThatLieWithAClearReason) {
  const CraftedPe crafted = TwoSections(true);
  const uint32_t fh = CraftedPe::kFileHeader, opt = CraftedPe::kOptionalHeader;
  const std::vector<HeaderCase> cases = {
      {"empty file", [](std::string& f) { f.clear(); }, "not a PE file: no DOS header"},
      {"no MZ", [](std::string& f) { f[0] = 'X'; }, "not a PE file: no DOS header"},
      {"shorter than a DOS header", [](std::string& f) { f.resize(63); },
       "not a PE file: no DOS header"},
      {"e_lfanew past the end", [](std::string& f) { testing::SetU32(f, 0x3C, 0x7FFFFFF0); },
       "not a PE file: no PE signature where the DOS header points"},
      {"e_lfanew at the very top", [](std::string& f) { testing::SetU32(f, 0x3C, 0xFFFFFFFE); },
       "not a PE file: no PE signature where the DOS header points"},
      {"file header cut off", [&](std::string& f) { f.resize(fh + 10); },
       "truncated PE file: the file header is cut off"},
      {"optional header cut off", [&](std::string& f) { f.resize(opt + 100); },
       "truncated PE file: the optional header is cut off"},
      {"optional header size beyond the file",
       [&](std::string& f) {
         testing::SetU16(f, fh + 16, 0xFFFF);
         f.resize(0x8000);
       },
       "truncated PE file: the optional header is cut off"},
      {"unknown magic", [&](std::string& f) { testing::SetU16(f, opt, 0x107); },
       "unsupported PE file: the optional header is neither PE32 nor PE32+"},
      {"optional header too small", [&](std::string& f) { testing::SetU16(f, fh + 16, 64); },
       "malformed PE file: the optional header is too small"},
      {"zero file alignment", [&](std::string& f) { testing::SetU32(f, opt + 36, 0); },
       "malformed PE file: the section or file alignment is not a power of two"},
      {"odd section alignment", [&](std::string& f) { testing::SetU32(f, opt + 32, 0x1001); },
       "malformed PE file: the section or file alignment is not a power of two"},
      {"NumberOfSections huge", [&](std::string& f) { testing::SetU16(f, fh + 2, 0xFFFF); },
       "truncated PE file: the section table runs past the end of the file"},
      {"raw data past the end",
       [&](std::string& f) { testing::SetU32(f, crafted.SectionTable() + 20, 0x7FFFFF00); },
       "truncated PE file: the raw data of section \".text\" lies past the end of the file"},
      {"raw size past the end",
       [&](std::string& f) { testing::SetU32(f, crafted.SectionTable() + 40 + 16, 0xFFFFFFFF); },
       "truncated PE file: the raw data of section \".data\" lies past the end of the file"},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string file = crafted.Build();
    c.mutate(file);
    std::string error;
    EXPECT_FALSE(PeImage::Parse(AsBytes(file), &error).has_value());
    EXPECT_EQ(error, c.error);
  }
}

TEST(PeImage, DirectoryCountIsBoundedByTheOptionalHeader) {
  CraftedPe crafted = TwoSections(false);
  std::string file = crafted.Build();
  // NumberOfRvaAndSizes claims more than the header holds: only 16 are read;
  // claims fewer: the rest read as empty.
  testing::SetU32(file, CraftedPe::kOptionalHeader + 92, 0xFFFFFFFF);
  auto image = PeImage::Parse(AsBytes(file), nullptr);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->NumberOfDirectories(), 16u);
  testing::SetU32(file, CraftedPe::kOptionalHeader + 92, 3);
  image = PeImage::Parse(AsBytes(file), nullptr);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->NumberOfDirectories(), 3u);
  EXPECT_EQ(image->Directory(5).address, 0u);
}

}  // namespace
}  // namespace tidewell::pe
