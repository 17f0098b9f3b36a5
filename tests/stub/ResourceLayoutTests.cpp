// The layouts the client reads from its own resources: the string block the
// tool writes, bitmap headers and icon image headers, damaged ones included.

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "DumpReport.h"
#include "ImageHeaders.h"
#include "StringBlock.h"
#include "build/ClientStringTable.h"
#include "content/VariableList.h"
#include "project/ProjectSettings.h"

namespace tidewatch {
namespace {

std::string U16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
std::string Counted(std::u16string_view text) {
  std::string out = U16(static_cast<uint32_t>(text.size()));
  for (const char16_t c : text) out += U16(c);
  return out;
}

// A BITMAPINFOHEADER; `height` as stored (negative for top-down rows).
std::string InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                       uint32_t colorsUsed = 0, uint32_t size = 40) {
  std::string h = U32(size) + U32(static_cast<uint32_t>(width)) + U32(static_cast<uint32_t>(height)) + U16(1) +
                  U16(bits) + U32(compression) + U32(0) + U32(0) + U32(0) + U32(colorsUsed) + U32(0);
  h.resize(size, '\0');
  return h;
}

std::optional<std::u16string> S(std::u16string_view text) { return std::u16string(text); }

TEST(ParseStringBlock, ReadsTheBlockTheToolWrites) {
  tidewell::ProjectSettings settings;
  settings.SetSetting(tidewell::SettingKey::AppTitle, u"Line one\nLine \"two\" \xD83D\xDE00 caf\xE9");
  settings.SetSetting(tidewell::SettingKey::Reprompt, u"1");
  const tidewell::VariableList variables;
  const auto table = tidewell::ClientStringTable::FromSettings(settings, variables);
  const auto bytes = table.Encode();
  ASSERT_TRUE(bytes.has_value());
  const StringBlock block = ParseStringBlock(ByteReader(*bytes));
  for (size_t i = 0; i < block.size(); ++i) {
    ASSERT_TRUE(block[i].has_value()) << i;
    EXPECT_EQ(*block[i], table.Get(i)) << i;
  }
  EXPECT_EQ(*block[4], u"Line one\r\nLine \"two\" \xD83D\xDE00 caf\xE9");
  EXPECT_EQ(*block[8], u"1 1");
}

TEST(ParseStringBlock, ReadsTheSmallestBlock) {
  // Every copied setting empty: only strings 7, 8 and 9, 58 bytes in all.
  std::string bytes;
  for (int i = 0; i < 16; ++i) bytes += Counted(i == 7 || i == 9 ? u"False" : i == 8 ? u"1 0" : u"");
  ASSERT_EQ(bytes.size(), 58u);
  const StringBlock block = ParseStringBlock(ByteReader(bytes));
  StringBlock expected;
  for (auto& s : expected) s = u"";
  expected[7] = u"False";
  expected[8] = u"1 0";
  expected[9] = u"False";
  EXPECT_EQ(block, expected);
}

TEST(ParseStringBlock, StopsWhereTheBytesEnd) {
  struct Case {
    const char* name;
    std::string bytes;
    size_t readable;  // how many strings come out
  };
  const Case cases[] = {
      {"empty resource", "", 0},
      {"one odd byte", "\x03", 0},
      {"count beyond the end", Counted(u"abc") + U16(40) + U16('x'), 1},
      {"last count cut", std::string(31, '\0'), 15},
      {"largest count, no text", U16(0xFFFF), 0},
      {"sixteen empty strings", std::string(32, '\0'), 16},
      {"bytes after the sixteenth ignored", std::string(32, '\0') + Counted(u"more"), 16},
  };
  for (const auto& c : cases) {
    const StringBlock block = ParseStringBlock(ByteReader(c.bytes));
    for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i].has_value(), i < c.readable) << c.name << " " << i;
  }
  EXPECT_EQ(ParseStringBlock(ByteReader(Counted(u"abc") + U16(40)))[0], S(u"abc"));
}

TEST(ReadDibHeader, ReadsTheSizeFromEitherHeader) {
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<std::pair<int32_t, int32_t>> size;
  };
  const std::string core = U32(12) + U16(7) + U16(5) + U16(1) + U16(24);
  const Case cases[] = {
      {"info header", InfoHeader(500, 60, 24), std::pair{500, 60}},
      {"top-down rows", InfoHeader(16, -9, 32), std::pair{16, 9}},
      {"core header", core, std::pair{7, 5}},
      {"version 5 header", InfoHeader(3, 4, 8, 0, 0, 124), std::pair{3, 4}},
      {"empty", "", std::nullopt},
      {"size field only", U32(40), std::nullopt},
      {"cut header", InfoHeader(5, 5, 24).substr(0, 39), std::nullopt},
      {"version 5 header cut", InfoHeader(3, 4, 8, 0, 0, 124).substr(0, 100), std::nullopt},
      {"unknown header size", InfoHeader(5, 5, 24, 0, 0, 20), std::nullopt},
      {"no width", InfoHeader(0, 5, 24), std::nullopt},
      {"negative width", InfoHeader(-5, 5, 24), std::nullopt},
      {"no height", InfoHeader(5, 0, 24), std::nullopt},
      {"smallest height", InfoHeader(5, INT32_MIN, 24), std::nullopt},
  };
  for (const auto& c : cases) {
    const auto header = ReadDibHeader(ByteReader(c.bytes));
    ASSERT_EQ(header.has_value(), c.size.has_value()) << c.name;
    if (header) {
      EXPECT_EQ(std::pair(header->width, header->height), *c.size) << c.name;
    }
  }
}

TEST(ReadDrawableDib, NeedsEveryPixelByte) {
  struct Case {
    const char* name;
    std::string header;
    size_t colourAndPixelBytes;  // what a complete picture needs after the header
    size_t bitsOffset;
  };
  const Case cases[] = {
      // Rows are padded to four bytes: 3 pixels at 24 bits take 12 bytes a row.
      {"24 bits", InfoHeader(3, 2, 24), 24, 40},
      {"top-down 32 bits", InfoHeader(2, -2, 32), 16, 40},
      {"8 bits, full palette", InfoHeader(4, 1, 8), 256 * 4 + 4, 40 + 1024},
      {"8 bits, 2 colours used", InfoHeader(4, 1, 8, 0, 2), 2 * 4 + 4, 48},
      {"1 bit", InfoHeader(33, 2, 1), 2 * 4 + 16, 48},
      {"4 bits", InfoHeader(9, 1, 4), 16 * 4 + 8, 40 + 64},
      {"16 bits with bit fields", InfoHeader(2, 2, 16, 3), 12 + 8, 52},
      {"24 bits with an optional palette", InfoHeader(1, 1, 24, 0, 3), 12 + 4, 52},
      {"core header, 8 bits", U32(12) + U16(2) + U16(2) + U16(1) + U16(8), 256 * 3 + 8, 12 + 768},
  };
  for (const auto& c : cases) {
    const std::string complete = c.header + std::string(c.colourAndPixelBytes, '\x11');
    const auto layout = ReadDrawableDib(ByteReader(complete));
    ASSERT_TRUE(layout.has_value()) << c.name;
    EXPECT_EQ(layout->bitsOffset, c.bitsOffset) << c.name;
    EXPECT_EQ(layout->bitsOffset + layout->bitsSize, complete.size()) << c.name;
    EXPECT_FALSE(ReadDrawableDib(ByteReader(complete.substr(0, complete.size() - 1)))) << c.name;
  }
}

TEST(ReadDrawableDib, RefusesWhatItCannotDrawSafely) {
  const std::string pixels(100000, '\0');
  const std::pair<const char*, std::string> cases[] = {
      {"run-length 8 bits", InfoHeader(4, 4, 8, 1) + pixels},
      {"bit fields at 24 bits", InfoHeader(4, 4, 24, 3) + pixels},
      {"embedded PNG", InfoHeader(4, 4, 0, 5) + pixels},
      {"2 bits per pixel", InfoHeader(4, 4, 2) + pixels},
      {"two planes", [&] {
         std::string h = InfoHeader(4, 4, 24);
         h[12] = 2;
         return h + pixels;
       }()},
      {"more colours than 8 bits hold", InfoHeader(4, 4, 8, 0, 257) + pixels},
      {"wider than any picture", InfoHeader(40000, 1, 1) + pixels},
      {"larger than the bytes", InfoHeader(30000, 30000, 32) + pixels},
  };
  for (const auto& [name, bytes] : cases) EXPECT_FALSE(ReadDrawableDib(ByteReader(bytes))) << name;
}

std::string Png(uint32_t width, uint32_t height, const char* chunk = "IHDR") {
  std::string png = "\x89PNG\r\n\x1A\n";
  auto be = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((v >> shift) & 0xFF);
  };
  be(13);
  png += chunk;
  be(width);
  be(height);
  png += std::string("\x08\x06\x00\x00\x00", 5);
  return png;
}

// A 32-bit icon image: header with the height doubled, colour rows, mask rows.
std::string IconDib(int32_t size, size_t cut = 0) {
  const size_t mask = static_cast<size_t>(((size + 31) / 32) * 4 * size);
  std::string bytes = InfoHeader(size, size * 2, 32) + std::string(static_cast<size_t>(size * size * 4) + mask, '\0');
  return bytes.substr(0, bytes.size() - cut);
}

TEST(IconImageHeaders, ReadSizeAndCompleteness) {
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<std::pair<int32_t, int32_t>> size;
    bool complete;
  };
  const Case cases[] = {
      {"32 x 32", IconDib(32), std::pair{32, 32}, true},
      {"16 x 16", IconDib(16), std::pair{16, 16}, true},
      {"mask cut short", IconDib(16, 1), std::pair{16, 16}, false},
      {"header only", IconDib(16).substr(0, 40), std::pair{16, 16}, false},
      {"PNG 256 x 256", Png(256, 256), std::pair{256, 256}, true},
      {"PNG without IHDR", Png(256, 256, "IDAT"), std::nullopt, false},
      {"PNG cut in its header", Png(256, 256).substr(0, 20), std::nullopt, false},
      {"PNG of no width", Png(0, 16), std::nullopt, false},
      {"one row only", InfoHeader(16, 1, 32), std::nullopt, false},
      {"top-down", InfoHeader(16, -32, 32) + std::string(2000, '\0'), std::nullopt, false},
      {"odd height", InfoHeader(16, 33, 32) + std::string(5000, '\0'), std::pair{16, 16}, false},
      {"garbage", "garbage", std::nullopt, false},
      {"nothing", "", std::nullopt, false},
  };
  for (const auto& c : cases) {
    const auto size = ReadIconImageSize(ByteReader(c.bytes));
    ASSERT_EQ(size.has_value(), c.size.has_value()) << c.name;
    if (size) {
      EXPECT_EQ(std::pair(size->width, size->height), *c.size) << c.name;
    }
    EXPECT_EQ(IsCompleteIconImage(ByteReader(c.bytes)), c.complete) << c.name;
  }
}

TEST(ImageHeaders, RandomHeadersStayInsideTheirBytes) {
  // Plausible headers with random fields and random lengths: whatever comes
  // out must lie inside the bytes.
  std::mt19937 random(20240301);
  const uint32_t headerSizes[] = {12, 40, 52, 56, 108, 124, 0, 39, 0xFFFFFFFF};
  const uint16_t bits[] = {0, 1, 2, 4, 8, 16, 24, 32, 64};
  for (int i = 0; i < 20000; ++i) {
    std::string bytes = U32(headerSizes[random() % 9]) + U32(random() % 70000) + U32(random()) + U16(random() % 3) +
                        U16(bits[random() % 9]) + U32(random() % 7) + U32(random()) + U32(random()) +
                        U32(random()) + U32(random() % 300) + U32(random());
    bytes.resize(random() % 2000, '\x5A');
    const ByteReader reader(bytes);
    if (const auto layout = ReadDrawableDib(reader)) {
      EXPECT_LE(layout->bitsOffset + layout->bitsSize, bytes.size());
      EXPECT_GE(layout->bitsOffset, layout->header.headerSize);
    }
    if (IsCompleteIconImage(reader)) {
      EXPECT_TRUE(ReadIconImageSize(reader).has_value());
    }
    const ClientResourceBytes all{reader, reader, reader, reader, reader};
    EXPECT_FALSE(FormatResourceReport(all).empty());
  }
}

TEST(ByteReader, RefusesReadsPastTheEndWithoutOverflow) {
  const std::string bytes = "\x01\x02\x03\x04\x05";
  const ByteReader r(bytes);
  EXPECT_EQ(r.U32(1), 0x05040302u);
  EXPECT_EQ(r.U32(2), std::nullopt);
  EXPECT_EQ(r.U16(4), std::nullopt);
  EXPECT_EQ(r.U8(SIZE_MAX), std::nullopt);
  EXPECT_FALSE(r.Has(1, SIZE_MAX));
  EXPECT_TRUE(r.Has(5, 0));
  EXPECT_EQ(r.U32BigEndian(0), 0x01020304u);
  EXPECT_EQ(ByteReader(nullptr, 10).Size(), 0u);
}

}  // namespace
}  // namespace tidewatch
