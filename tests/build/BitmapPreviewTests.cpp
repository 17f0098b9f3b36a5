#include <gtest/gtest.h>

#include "build/BitmapPreview.h"
#include "build/BuildTestSupport.h"

namespace tidewell {
namespace {

using testing::MakeBitmapFile;
using testing::PutU16;
using testing::PutU32;

TEST(BitmapPreview, LinesFollowTheFilesOwnBitCount) {
  struct Case {
    int32_t width, height;
    uint16_t bits;
    uint64_t fileSize;
    std::array<WString, 4> lines;
  };
  const Case cases[] = {
      {3, 2, 1, 1023, {u"Width: 3 pixels", u"Height: 2 pixels", u"Colors: 2 (monocromatic)", u"Size: 0 Kb"}},
      {3, -2, 4, 1024, {u"Width: 3 pixels", u"Height: 2 pixels", u"Colors: 16", u"Size: 1 Kb"}},
      {640, 480, 8, 2047, {u"Width: 640 pixels", u"Height: 480 pixels", u"Colors: 256", u"Size: 1 Kb"}},
      {1, 1, 16, 5000, {u"Width: 1 pixels", u"Height: 1 pixels", u"Colors: 65,536", u"Size: 4 Kb"}},
      {7, 9, 24, 0, {u"Width: 7 pixels", u"Height: 9 pixels", u"Colors: 16 millions", u"Size: 0 Kb"}},
      {7, 9, 32, 3 * 1024 * 1024, {u"Width: 7 pixels", u"Height: 9 pixels", u"", u"Size: 3072 Kb"}},
  };
  for (const Case& c : cases) {
    const auto facts = ReadBitmapFacts(MakeBitmapFile(c.width, c.height, c.bits));
    ASSERT_TRUE(facts) << c.bits;
    EXPECT_EQ(facts->bitCount, c.bits);
    EXPECT_EQ(BitmapPreviewLines(*facts, c.fileSize), c.lines) << c.bits;
  }
}

TEST(BitmapPreview, CoreHeaderIsRead) {
  std::string file = "BM" + std::string(12, '\0');
  file += testing::U32(12) + testing::U16(5) + testing::U16(6) + testing::U16(1) + testing::U16(4);
  EXPECT_EQ(ReadBitmapFacts(file), (BitmapFacts{5, 6, 4}));
}

TEST(BitmapPreview, WhatIsNoBitmapGivesNoFacts) {
  const std::string good = MakeBitmapFile(4, 4, 24);
  std::string notBm = good;
  notBm[0] = 'X';
  std::string zeroWidth = good;
  PutU32(zeroWidth, 18, 0);
  std::string smallHeader = good;
  PutU32(smallHeader, 14, 20);
  std::string minHeight = good;
  PutU32(minHeight, 22, 0x80000000u);
  std::string coreZero = "BM" + std::string(12, '\0') + testing::U32(12) + std::string(8, '\0');
  for (const std::string& file : {std::string(), good.substr(0, 17), good.substr(0, 29), notBm,
                                  zeroWidth, smallHeader, minHeight, coreZero})
    EXPECT_FALSE(ReadBitmapFacts(file)) << testing::Hex(file.substr(0, 32));
  (void)PutU16;
}

}  // namespace
}  // namespace tidewell
