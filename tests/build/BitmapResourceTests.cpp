#include <gtest/gtest.h>

#include "build/BitmapResource.h"
#include "build/BuildTestSupport.h"

namespace tidewell {
namespace {

using testing::MakeBitmapFile;
using testing::PutU16;
using testing::PutU32;
using Status = BitmapResource::Status;

TEST(BitmapResource, IsTheFileWithoutItsFirst14Bytes) {
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    const std::string file = MakeBitmapFile(13, 7, bits);
    const BitmapResource resource = BitmapResourceFromFile(file);
    EXPECT_EQ(resource.status, Status::Ok) << bits;
    EXPECT_EQ(resource.bytes, file.substr(14)) << bits;
  }
}

TEST(BitmapResource, ExactlyAFileHeaderGivesAnEmptyResource) {
  const std::string file = MakeBitmapFile(4, 4, 24).substr(0, 14);
  const BitmapResource resource = BitmapResourceFromFile(file);
  EXPECT_EQ(resource.status, Status::Ok);
  EXPECT_EQ(resource.bytes.size(), 0u);
}

TEST(BitmapResource, FewerThan14BytesAreTooShort) {
  const std::string file = MakeBitmapFile(4, 4, 24);
  for (size_t size : {0, 1, 2, 13})
    EXPECT_EQ(BitmapResourceFromFile(file.substr(0, size)).status, Status::TooShort) << size;
}

TEST(BitmapResource, TopDownAndCoreHeaderBitmapsAreAccepted) {
  const std::string topDown = MakeBitmapFile(5, -3, 24);
  EXPECT_EQ(BitmapResourceFromFile(topDown).bytes, topDown.substr(14));

  // A 2 x 2, 24-bit bitmap with the 12-byte core header.
  std::string core = "BM" + testing::U32(14 + 12 + 16) + testing::U32(0) + testing::U32(26) +
                     testing::U32(12) + testing::U16(2) + testing::U16(2) + testing::U16(1) +
                     testing::U16(24) + std::string(16, '\x33');
  EXPECT_EQ(BitmapResourceFromFile(core).status, Status::Ok);
  EXPECT_EQ(BitmapResourceFromFile(core.substr(0, core.size() - 1)).status, Status::NotABitmap);
}

TEST(BitmapResource, AGapBeforeThePixelsIsLeftOut) {
  const std::string packed = MakeBitmapFile(6, 2, 8);
  const std::string gapped = MakeBitmapFile(6, 2, 8, 10);
  const BitmapResource resource = BitmapResourceFromFile(gapped);
  EXPECT_EQ(resource.status, Status::Ok);
  EXPECT_EQ(resource.bytes, packed.substr(14));
}

TEST(BitmapResource, AnUnsetPixelOffsetMeansPacked) {
  std::string file = MakeBitmapFile(6, 2, 24);
  PutU32(file, 10, 0);
  EXPECT_EQ(BitmapResourceFromFile(file).bytes, file.substr(14));
}

// Each case breaks one thing of a valid 3 x 2, 8-bit bitmap.
TEST(BitmapResource, RefusesFilesThatAreNoBitmapOrLie) {
  const std::string good = MakeBitmapFile(3, 2, 8);
  struct Case {
    const char* what;
    std::string file;
  };
  auto with = [&good](auto change) {
    std::string file = good;
    change(file);
    return file;
  };
  const Case cases[] = {
      {"no BM signature", with([](std::string& f) { f[0] = 'P'; })},
      {"text file", std::string("This is not a picture at all, just text.\n")},
      {"pixels cut off", good.substr(0, good.size() - 1)},
      {"colour table cut off", good.substr(0, 14 + 40 + 100)},
      {"header cut off", good.substr(0, 14 + 20)},
      {"header size beyond the file", with([](std::string& f) { PutU32(f, 14, 0x7FFFFFF0); })},
      {"unknown header size", with([](std::string& f) { PutU32(f, 14, 41); })},
      {"zero width", with([](std::string& f) { PutU32(f, 18, 0); })},
      {"negative width", with([](std::string& f) { PutU32(f, 18, 0xFFFFFFFD); })},
      {"zero height", with([](std::string& f) { PutU32(f, 22, 0); })},
      {"most negative height", with([](std::string& f) { PutU32(f, 22, 0x80000000); })},
      {"huge width", with([](std::string& f) { PutU32(f, 18, 0x7FFFFFFF); })},
      {"huge height", with([](std::string& f) { PutU32(f, 22, 0x7FFFFFFF); })},
      {"two planes", with([](std::string& f) { PutU16(f, 26, 2); })},
      {"odd bit count", with([](std::string& f) { PutU16(f, 28, 7); })},
      {"JPEG inside", with([](std::string& f) { PutU32(f, 30, 4); })},
      {"PNG inside", with([](std::string& f) { PutU32(f, 30, 5); })},
      {"RLE4 on 8 bits", with([](std::string& f) { PutU32(f, 30, 2); })},
      {"colours used beyond the file", with([](std::string& f) { PutU32(f, 46, 0x40000000); })},
      {"pixel offset inside the colour table",
       with([](std::string& f) { PutU32(f, 10, 14 + 40 + 8); })},
      {"pixel offset beyond the file", with([](std::string& f) { PutU32(f, 10, 0xFFFFFFF0); })},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BitmapResourceFromFile(c.file).status, Status::NotABitmap) << c.what;
}

TEST(BitmapResource, RunLengthBitmapsNeedTheirStatedSizeInTheFile) {
  std::string file = MakeBitmapFile(4, 4, 8);
  PutU32(file, 30, 1);  // RLE8
  PutU32(file, 34, 8);
  EXPECT_EQ(BitmapResourceFromFile(file).status, Status::Ok);
  PutU32(file, 34, static_cast<uint32_t>(file.size()));
  EXPECT_EQ(BitmapResourceFromFile(file).status, Status::NotABitmap);
  PutU32(file, 34, 8);
  PutU32(file, 22, 0xFFFFFFFC);  // top-down run-length bitmaps do not exist
  EXPECT_EQ(BitmapResourceFromFile(file).status, Status::NotABitmap);
}

}  // namespace
}  // namespace tidewell
