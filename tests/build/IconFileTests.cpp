#include <gtest/gtest.h>

#include "build/BuildTestSupport.h"
#include "build/IconCatalogue.h"
#include "pe/IconFile.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::Hex;
using testing::MakeIconImage;
using testing::MakePngImage;
using testing::U16;
using testing::U32;

TEST(IconFile, OneImageBehindAnIconDirectory) {
  struct Case {
    const char* what;
    std::string image;
    std::string entry;  // width, height, colours, reserved, planes, bit count
  };
  const Case cases[] = {
      {"32 x 32 bitmap", MakeIconImage(32, 32), std::string("\x20\x20\0\0", 4) + U16(1) + U16(32)},
      {"16 x 16 bitmap", MakeIconImage(16, 16), std::string("\x10\x10\0\0", 4) + U16(1) + U16(32)},
      {"256 pixel PNG is written as 0", MakePngImage(256, 256),
       std::string("\0\0\0\0", 4) + U16(1) + U16(32)},
      {"48 pixel PNG", MakePngImage(48, 48), std::string("\x30\x30\0\0", 4) + U16(1) + U16(32)},
  };
  for (const Case& c : cases) {
    const std::string expected =
        U16(0) + U16(1) + U16(1) + c.entry + U32(static_cast<uint32_t>(c.image.size())) + U32(22) +
        c.image;
    EXPECT_EQ(Hex(pe::IconImageAsIcoFile(c.image)), Hex(expected)) << c.what;
  }
}

TEST(IconFile, BytesThatAreNoIconImageGiveNothing) {
  for (const std::string& bytes : {std::string(), std::string("not an icon image at all"),
                                   MakeIconImage(32, 32).substr(0, 20)})
    EXPECT_EQ(pe::IconImageAsIcoFile(bytes), "");
}

TEST(IconCatalogue, ListedImagesAreHandedOverWithTheirBytes) {
  const auto shell32 = testing::WineLibrary("shell32.dll");
  if (!std::filesystem::exists(shell32)) GTEST_SKIP() << "wine's shell32.dll is not installed";
  IconCatalogue seen;
  size_t badImages = 0;
  const IconCatalogue catalogue = ReadIconCatalogue(
      text::FromPath(shell32), [&](bool large, const WString& name, std::string_view image) {
        (large ? seen.large : seen.small).push_back(name);
        if (!IconImageSizeOf(image)) ++badImages;
      });
  EXPECT_EQ(seen.large, catalogue.large);
  EXPECT_EQ(seen.small, catalogue.small);
  EXPECT_EQ(catalogue.large, ReadIconCatalogue(text::FromPath(shell32)).large);
  EXPECT_EQ(badImages, 0u);
}

}  // namespace
}  // namespace tidewell
