// The example project's staged product, made at build time: the versions the
// tool will measure and the archive it will list.

#include <gtest/gtest.h>

#include "files/ZipArchive.h"
#include "pe/PeVersion.h"
#include "text/Text.h"

namespace tidewell {
namespace {

const std::filesystem::path kProduct = TIDEWELL_EXAMPLE_PRODUCT_DIR;

TEST(ExampleProduct, ProgramsCarryTheirVersions) {
  const std::pair<const char*, std::pair<uint32_t, uint32_t>> programs[] = {
      {"App.exe", {(1u << 16) | 2u, (3u << 16) | 4u}},
      {"Helper.dll", {(2u << 16) | 5u, 0u}},
  };
  for (const auto& [name, version] : programs) {
    const auto info = pe::ReadFixedFileInfo(kProduct / name);
    ASSERT_TRUE(info.has_value()) << name;
    EXPECT_EQ(std::pair(info->fileVersionMS, info->fileVersionLS), version) << name;
  }
}

TEST(ExampleProduct, DataArchiveHoldsAReadmeAndAPicture) {
  ZipArchive zip;
  ASSERT_TRUE(zip.Open(text::FromPath(kProduct / "Data" / "Data.zip")));
  std::vector<WString> names;
  for (bool more = zip.GoToFirstFile(); more; more = zip.GoToNextFile()) {
    ZipEntry entry;
    ASSERT_TRUE(zip.GetCurrentFileInfo(entry));
    names.push_back(entry.name);
    // 1 March 2024, 10:30:00, as DOS date and time.
    EXPECT_EQ(entry.dosDateTime, ((44u << 9 | 3u << 5 | 1u) << 16) | (10u << 11 | 30u << 5));
  }
  EXPECT_EQ(names, (std::vector<WString>{u"readme.txt", u"images\\logo.bmp"}));
  EXPECT_TRUE(std::filesystem::is_regular_file(kProduct / "readme.txt"));
}

}  // namespace
}  // namespace tidewell
