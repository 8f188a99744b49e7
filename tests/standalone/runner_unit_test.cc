// Unit tests of the runner's pure pieces: sleep delays and the whole-mode
// reader with sizes no file on disk needs to have.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "standalone/app_functions.h"
#include "standalone/whole_executable.h"
#include "tests/support/temp_dir.h"

namespace kivs {
namespace {

TEST(SleepMilliseconds, RoundsHalvesAwayFromZeroAndClamps) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double seconds;
    int32_t milliseconds;
  } rows[] = {
      {0, 0},
      {1.5, 1500},
      {0.0005, 1},
      {-0.0005, -1},
      {0.0004, 0},
      {-2, -2000},
      {nan, 0},
      {2147483.647, 2147483647},
      {1e9, 2147483647},
      {inf, 2147483647},
      {-1e9, -2147483647 - 1},
      {-inf, -2147483647 - 1},
  };
  for (const auto& row : rows)
    EXPECT_EQ(SleepMilliseconds(row.seconds), row.milliseconds) << row.seconds;
}

class WholeExecutableTest : public ::testing::Test {
 protected:
  WholeExecutable Read(const std::string& content, FileSizeFunction sizeOf) {
    const std::string path = dir_.Write("app.kive", content);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr);
    WholeExecutable executable = ReadWholeExecutable(file, "app.kive", sizeOf);
    std::fclose(file);
    return executable;
  }

  TempDir dir_;
};

int64_t FourGigabytesAndAHundred(std::FILE*) { return 4294967396LL; }
int64_t FailedSeek(std::FILE*) {
  errno = ESPIPE;
  return -1;
}

TEST_F(WholeExecutableTest, ReadsTheWholeFile) {
  const WholeExecutable executable = Read("KivE\x01\x02", MeasureFileSize);
  ASSERT_TRUE(executable.bytes);
  EXPECT_EQ(executable.error, "");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(executable.bytes.get()),
                        executable.size),
            "KivE\x01\x02");
}

TEST_F(WholeExecutableTest, RefusesWhatItCannotReadWhole) {
  const struct {
    const char* content;
    FileSizeFunction sizeOf;
    const char* error;
  } rows[] = {
      {"tiny", FourGigabytesAndAHundred,
       "Error determining size of app.kive: File too large"},
      {"", MeasureFileSize, "Error reading app.kive: Unexpected end of file"},
      {"tiny", FailedSeek, "Error determining size of app.kive: Illegal seek"},
  };
  for (const auto& row : rows) {
    const WholeExecutable executable = Read(row.content, row.sizeOf);
    EXPECT_FALSE(executable.bytes) << row.error;
    EXPECT_EQ(executable.error, row.error);
  }
}

}  // namespace
}  // namespace kivs
