#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "CraftedPe.h"
#include "PeTestSupport.h"
#include "pe/IconImage.h"
#include "pe/PeResourceReader.h"
#include "pe/PeVersion.h"

namespace tidewell::pe {
namespace {

std::string BitmapHeader(uint32_t size, int32_t width, int32_t height) {
  std::string h =
      testing::Words({size, static_cast<uint32_t>(width), static_cast<uint32_t>(height)});
  h.resize(std::max<size_t>(std::max<size_t>(h.size(), 40), size), '\0');
  if (h.size() >= 16) {
    h[12] = 1;   // one plane
    h[14] = 32;  // 32 bits per pixel
  }
  return h;
}

std::string PngHeader(uint32_t width, uint32_t height) {
  std::string h("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t v : {width, height})
    for (int i = 3; i >= 0; --i) h.push_back(static_cast<char>(v >> (8 * i)));
  return h + std::string("\x08\x06\0\0\0", 5);
}

TEST(IconImage, SizeComesFromTheImageHeader) {
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<IconImageSize> size;
  };
  const std::vector<Case> cases = {
      {"bitmap, height counts both masks", BitmapHeader(40, 32, 64), IconImageSize{32, 32}},
      {"bitmap with a larger header", BitmapHeader(124, 16, 32), IconImageSize{16, 16}},
      {"core header", std::string("\x0c\0\0\0\x30\0\x60\0\1\0\x20\0", 12), IconImageSize{48, 48}},
      {"PNG", PngHeader(256, 256), IconImageSize{256, 256}},
      {"PNG not square", PngHeader(64, 32), IconImageSize{64, 32}},
      {"empty", "", std::nullopt},
      {"header size unknown", BitmapHeader(39, 32, 64), std::nullopt},
      {"header cut off", BitmapHeader(40, 32, 64).substr(0, 10), std::nullopt},
      {"zero width", BitmapHeader(40, 0, 64), std::nullopt},
      {"negative height", BitmapHeader(40, 32, -64), std::nullopt},
      {"height of one row", BitmapHeader(40, 32, 1), std::nullopt},
      {"PNG cut off", PngHeader(32, 32).substr(0, 20), std::nullopt},
      {"text that starts with a plausible size", "definitely not an icon image", std::nullopt},
      {"header longer than the image", BitmapHeader(124, 16, 32).substr(0, 60), std::nullopt},
      {"two planes", [] { auto h = BitmapHeader(40, 32, 64); h[12] = 2; return h; }(), std::nullopt},
      {"bit count a bitmap cannot have", [] { auto h = BitmapHeader(40, 32, 64); h[14] = 7; return h; }(),
       std::nullopt},
      {"PNG without IHDR first",
       std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIDAT", 16) + std::string(8, '\x10'), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadIconImageSize(c.bytes), c.size);
  }
}

// A whole bitmap icon image: header (bit count `bits`, biClrUsed `colorsUsed`),
// colour table, colour rows and mask rows, each row padded to 4 bytes.
std::string WholeBitmap(int32_t side, uint16_t bits, uint32_t colorsUsed = 0) {
  std::string image = BitmapHeader(40, side, 2 * side);
  image[14] = static_cast<char>(bits);
  testing::SetU32(image, 32, colorsUsed);
  const size_t colors = bits > 8 ? colorsUsed : colorsUsed ? colorsUsed : size_t{1} << bits;
  const size_t rowBytes = (static_cast<size_t>(side) * bits + 31) / 32 * 4;
  const size_t maskBytes = (static_cast<size_t>(side) + 31) / 32 * 4;
  return image + std::string(4 * colors + (rowBytes + maskBytes) * side, '\x5A');
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  for (int i = 3; i >= 0; --i) chunk.push_back(static_cast<char>(data.size() >> (8 * i)));
  return chunk + type + data + std::string(4, '\0');
}

// Signature and IHDR, then the chunks named.
std::string Png(std::vector<std::pair<std::string, std::string>> chunks) {
  std::string png = PngHeader(16, 16) + std::string(4, '\0');
  for (const auto& [type, data] : chunks) png += PngChunk(type, data);
  return png;
}

TEST(IconImage, OnlyWholeImagesAreComplete) {
  struct Case {
    const char* what;
    std::string bytes;
    bool complete;
  };
  const std::string large = WholeBitmap(32, 32), small = WholeBitmap(16, 32);
  const std::string idat = "IDAT", iend = "IEND";
  const std::vector<Case> cases = {
      {"32 x 32, 32 bits", large, true},
      {"32 x 32 cut to 1040 bytes", large.substr(0, 1040), false},
      {"32 x 32 missing its last mask byte", large.substr(0, large.size() - 1), false},
      {"16 x 16, 32 bits", small, true},
      {"16 x 16 cut to 104 bytes", small.substr(0, 104), false},
      {"8 bits, full colour table", WholeBitmap(32, 8), true},
      {"8 bits, header only", WholeBitmap(32, 8).substr(0, 40), false},
      {"8 bits, 16 colours used", WholeBitmap(32, 8, 16), true},
      {"8 bits, 16 colours used, one byte short", WholeBitmap(32, 8, 16).substr(0, 40 + 64 + 1024 + 127),
       false},
      {"8 bits, more colours used than it can have",
       [] { auto b = WholeBitmap(32, 8); testing::SetU32(b, 32, 257); return b + std::string(4, 0); }(),
       false},
      {"4 bits, 16 x 16 (rows padded to 4 bytes)", WholeBitmap(16, 4), true},
      {"4 bits, 16 x 16 one byte short", WholeBitmap(16, 4).substr(0, 40 + 64 + 128 + 64 - 1), false},
      {"1 bit, rows of 3 pixels padded", WholeBitmap(3, 1), true},
      {"24 bits, odd width unpadded", WholeBitmap(5, 24).substr(0, 40 + 15 * 5 + 4 * 5), false},
      {"run-length compressed",
       [] { auto b = WholeBitmap(32, 8); testing::SetU32(b, 16, 1); return b; }(), false},
      {"height of a billion rows", [] { auto b = WholeBitmap(16, 32); testing::SetU32(b, 8, 0x7FFFFFFE); return b; }(),
       false},
      {"PNG", Png({{idat, "pixels"}, {iend, ""}}), true},
      {"PNG, only the IHDR chunk", Png({}), false},
      {"PNG without IEND", Png({{idat, "pixels"}}), false},
      {"PNG, a chunk longer than the image",
       Png({{idat, "pixels"}, {iend, ""}}).replace(33, 4, std::string("\x7f\xff\xff\xf0", 4)), false},
      {"PNG, IHDR not first",
       std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IDAT", "x") + PngChunk("IHDR", std::string(13, 1)) +
           PngChunk("IEND", ""),
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(IsCompleteIconImage(c.bytes), c.complete);
  }
}

TEST(IconImage, FixtureIconsHaveTheirSizes) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  const auto reader = PeResourceReader::Open(testing::FixtureExe(), nullptr);
  ASSERT_TRUE(reader.has_value());
  const std::vector<std::pair<std::u16string, IconImageSize>> expected = {
      {u"#1", {32, 32}}, {u"#2", {16, 16}}, {u"#3", {256, 256}}, {u"#4", {48, 48}}};
  for (const auto& [name, size] : expected) {
    const auto icon = reader->Find(ResourceId::Integer(kTypeIcon), name);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(ReadIconImageSize(icon->bytes), std::optional<IconImageSize>(size));
  }
}

// shell32.dll holds 552 images each of 16, 32 and 48 pixels and 184 PNG
// images of 256 pixels.
TEST(IconImage, Shell32IconSizesAreCountedExactly) {
  const auto shell32 = testing::WineLibraryDir() / "shell32.dll";
  const auto reader = PeResourceReader::Open(shell32, nullptr);
  if (!reader) GTEST_SKIP() << "wine's shell32.dll is not installed";
  const ResourceId icon = ResourceId::Integer(kTypeIcon);
  std::map<int, int> bySize;
  int png = 0, unreadable = 0;
  for (const ResourceId& name : reader->Names(icon)) {
    const auto image = reader->Find(icon, name.ToText());
    const auto size = image ? ReadIconImageSize(image->bytes) : std::nullopt;
    if (!size || size->width != size->height) {
      ++unreadable;
      continue;
    }
    ++bySize[size->width];
    if (image->bytes.rfind("\x89PNG", 0) == 0) ++png;
  }
  EXPECT_EQ(unreadable, 0);
  EXPECT_EQ(bySize, (std::map<int, int>{{16, 552}, {32, 552}, {48, 552}, {256, 184}}));
  EXPECT_EQ(png, 184);
}

TEST(PeVersion, FixtureVersionReadsFromTheFixedRecord) {
  if (!testing::HaveFixtures()) GTEST_SKIP() << "MinGW fixture not built";
  const auto info = ReadFixedFileInfo(testing::FixtureExe());
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->signature, 0xFEEF04BDu);
  EXPECT_EQ(info->fileVersionMS, (5u << 16) | 12u);
  EXPECT_EQ(info->fileVersionLS, (3u << 16) | 4u);
  EXPECT_EQ(info->productVersionMS, (5u << 16) | 12u);
  EXPECT_EQ(info->productVersionLS, 0u);
  EXPECT_EQ(info->fileType, 1u);  // VFT_APP
}

TEST(PeVersion, MalformedVersionResourcesGiveNothing) {
  const auto reader = testing::HaveFixtures()
                          ? PeResourceReader::Open(testing::FixtureExe(), nullptr)
                          : std::nullopt;
  if (!reader) GTEST_SKIP() << "MinGW fixture not built";
  const std::string good =
      *reader->Read(ResourceId::Integer(kTypeVersion), ResourceId::Integer(1), 0x0C09);
  ASSERT_TRUE(ParseFixedFileInfo(good).has_value());
  struct Case {
    const char* what;
    std::function<void(std::string&)> mutate;
  };
  const std::vector<Case> cases = {
      {"empty", [](std::string& v) { v.clear(); }},
      {"cut inside the record", [](std::string& v) { v.resize(60); }},
      {"wLength beyond the data", [](std::string& v) { testing::SetU16(v, 0, 0xFFFF); }},
      {"wLength too short for the record", [](std::string& v) { testing::SetU16(v, 0, 80); }},
      {"no value", [](std::string& v) { testing::SetU16(v, 2, 0); }},
      {"value too short", [](std::string& v) { testing::SetU16(v, 2, 48); }},
      {"other key", [](std::string& v) { v[6] = 'X'; }},
      {"key not terminated", [](std::string& v) { v[36] = 'X'; }},
      {"wrong signature", [](std::string& v) { v[40] = 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    c.mutate(bytes);
    EXPECT_EQ(ParseFixedFileInfo(bytes).has_value(), false);
  }
}

// The version of every wine library that has one, as pefile reads it.
TEST(PeVersion, AgreesWithPefileOnTheWineLibraries) {
  if (!testing::HaveHostTools()) GTEST_SKIP() << testing::kHostToolsOnly;
  const auto files = testing::WineLibraries();
  if (files.size() < 100) GTEST_SKIP() << "wine's libraries are not installed";
  std::ostringstream ours;
  int withVersion = 0;
  for (const auto& f : files)
    if (const auto v = ReadFixedFileInfo(f)) {
      ++withVersion;
      ours << f.filename().string() << ' ' << (v->fileVersionMS >> 16) << '.'
           << (v->fileVersionMS & 0xFFFF) << '.' << (v->fileVersionLS >> 16) << '.'
           << (v->fileVersionLS & 0xFFFF) << '\n';
    }
  EXPECT_EQ(ours.str(), testing::Pefile("versions", files));
  EXPECT_EQ(withVersion, 234);
}

}  // namespace
}  // namespace tidewell::pe
