// Unit tests of the runner's pure pieces: option values, sleep delays, and
// the whole-mode reader with sizes no file on disk needs to have.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "standalone/app_functions.h"
#include "standalone/runner_command_line.h"
#include "standalone/whole_executable.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::size_t kHuge = std::numeric_limits<std::size_t>::max();

TEST(ParseOptionValue, AcceptsSignedThirtyTwoBitNumbersOnly) {
  const struct {
    const char* text;
    bool valid;
    std::size_t value;
  } rows[] = {
      {"0", true, 0},
      {"", true, 0},
      {"1000", true, 1000},
      {"0x100", true, 256},
      {"010", true, 8},
      {"+7", true, 7},
      {"2147483647", true, 2147483647},
      {"-1", true, kHuge},
      {"-2147483648", true, kHuge - 2147483647},
      {"12abc", false, 0},
      {"0x", false, 0},
      {"-", false, 0},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"0x100000800", false, 0},
      {"4294968296", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const auto& row : rows) {
    std::size_t value = 12345;
    EXPECT_EQ(ParseOptionValue(row.text, &value), row.valid) << row.text;
    if (row.valid) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

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
