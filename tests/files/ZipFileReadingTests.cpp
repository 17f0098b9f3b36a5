// The zip reader's buffered file functions: reads that cross the buffer's
// end, long reads, seeks from every origin, reads past the end, and writes
// refused.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <string>

#include "files/ZipFileReading.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

TEST(ZipFileReading, ReadsAndSeeksGiveTheFilesBytesWhereverTheBufferStands) {
  testing::TempDir dir;
  std::string bytes(200'000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  testing::WriteBytes(dir / "a.zip", bytes);
  zlib_filefunc64_def f{};
  FillBufferedZipFileFunctions(f);
  voidpf file = f.zopen64_file(nullptr, (dir / "a.zip").c_str(),
                               ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING);
  ASSERT_NE(file, nullptr);
  const struct {
    ZPOS64_T offset;
    int origin;
    size_t count;
    size_t expectedAt;
    size_t expectedCount;
  } steps[] = {
      {10, ZLIB_FILEFUNC_SEEK_SET, 100, 10, 100},
      {65'500, ZLIB_FILEFUNC_SEEK_SET, 100, 65'500, 100},   // across the buffer's end
      {0, ZLIB_FILEFUNC_SEEK_CUR, 70'000, 65'600, 70'000},  // longer than the buffer
      {static_cast<ZPOS64_T>(-22), ZLIB_FILEFUNC_SEEK_END, 100, 199'978, 22},  // short at the end
      {5, ZLIB_FILEFUNC_SEEK_END, 10, 200'005, 0},                             // past the end
      {0, ZLIB_FILEFUNC_SEEK_SET, 4, 0, 4},                                    // back to the start
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.expectedAt);
    ASSERT_EQ(f.zseek64_file(nullptr, file, step.offset, step.origin), 0);
    EXPECT_EQ(f.ztell64_file(nullptr, file), step.expectedAt);
    std::string read(step.count, 'x');
    const uLong got = f.zread_file(nullptr, file, read.data(), static_cast<uLong>(step.count));
    ASSERT_EQ(got, step.expectedCount);
    EXPECT_EQ(read.substr(0, got), bytes.substr(std::min(step.expectedAt, bytes.size()), got));
    EXPECT_EQ(f.ztell64_file(nullptr, file), step.expectedAt + got);
  }
  EXPECT_EQ(f.zerror_file(nullptr, file), 0);
  EXPECT_EQ(f.zwrite_file(nullptr, file, "x", 1), 0u);
  EXPECT_NE(f.zerror_file(nullptr, file), 0);
  EXPECT_EQ(f.zclose_file(nullptr, file), 0);
  EXPECT_EQ(f.zopen64_file(nullptr, (dir / "a.zip").c_str(), ZLIB_FILEFUNC_MODE_CREATE), nullptr);
  EXPECT_EQ(f.zopen64_file(nullptr, dir.Path().c_str(), ZLIB_FILEFUNC_MODE_READ), nullptr);
}

}  // namespace
}  // namespace tidewell

#endif
