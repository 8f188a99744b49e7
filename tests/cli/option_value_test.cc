// Option values of kivs (sizes, an empty value is 0) and kivinfo (numbers,
// an empty value is refused), read by one parser.
#include "cli/option_value.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

constexpr std::size_t kHuge = std::numeric_limits<std::size_t>::max();

TEST(ParseOptionSize, AcceptsSignedThirtyTwoBitNumbersOnly) {
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
    EXPECT_EQ(cli::ParseOptionSize(row.text, cli::EmptyValue::kZero, &value),
              row.valid)
        << row.text;
    if (row.valid) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

TEST(ParseOptionNumber, EmptyValueIsWhatTheCallerSays) {
  const struct {
    const char* text;
    cli::EmptyValue empty;
    bool valid;
    int32_t value;
  } rows[] = {
      {"", cli::EmptyValue::kZero, true, 0},
      {"", cli::EmptyValue::kInvalid, false, 0},
      {"-1", cli::EmptyValue::kInvalid, true, -1},
      {"-0x80000000", cli::EmptyValue::kInvalid, true, INT32_MIN},
      {"0x7FFFFFFF", cli::EmptyValue::kInvalid, true, INT32_MAX},
      {"0x80000000", cli::EmptyValue::kInvalid, false, 0},
      {"017", cli::EmptyValue::kInvalid, true, 15},
      {"08", cli::EmptyValue::kInvalid, false, 0},
      {" 5", cli::EmptyValue::kInvalid, true, 5},
      {"5 ", cli::EmptyValue::kInvalid, false, 0},
      {"x", cli::EmptyValue::kZero, false, 0},
  };
  for (const auto& row : rows) {
    int32_t value = 12345;
    EXPECT_EQ(cli::ParseOptionNumber(row.text, row.empty, &value), row.valid)
        << "'" << row.text << "'";
    EXPECT_EQ(value, row.valid ? row.value : 12345) << "'" << row.text << "'";
  }
  std::size_t size = 12345;
  EXPECT_FALSE(cli::ParseOptionSize("", cli::EmptyValue::kInvalid, &size));
  EXPECT_EQ(size, 12345u);
}

}  // namespace
