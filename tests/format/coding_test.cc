// The shared codec: what Put writes Get reads back, big-endian byte for byte,
// and a value cut short or of an unknown type is refused without moving on.
#include "format/coding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

const uint8_t* Data(const std::string& bytes) {
  return reinterpret_cast<const uint8_t*>(bytes.data());
}

TEST(Coding, WordsLongsAndDoublesAreBigEndian) {
  std::string bytes;
  coding::PutWord(bytes, 0x01020304);
  coding::PutDouble(bytes, -0.0);
  EXPECT_EQ(Bytes({1, 2, 3, 4, 0x80, 0, 0, 0, 0, 0, 0, 0}), bytes);

  bytes.clear();
  coding::PutLong(bytes, 0xFEDCBA9876543210u);
  EXPECT_EQ(Bytes({0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}), bytes);
  EXPECT_EQ(0xFEDCBA9876543210u, coding::GetLong(Data(bytes)));
  EXPECT_EQ(0xFEDCBA98u, coding::GetWord(Data(bytes)));

  for (double value : {0.0, -0.0, 1.5, -2.25e-300, 1e308,
                       std::numeric_limits<double>::infinity()}) {
    bytes.clear();
    coding::PutDouble(bytes, value);
    ASSERT_EQ(coding::kDoubleSize, bytes.size());
    const double read = coding::GetDouble(Data(bytes));
    EXPECT_EQ(value, read);
    EXPECT_EQ(std::signbit(value), std::signbit(read));
  }
}

struct ValueCase {
  coding::Value value;
  std::string bytes;          // with the string's length word
  std::string withoutLength;  // as the check value takes it
};

coding::Value Make(uint8_t type) {
  coding::Value value;
  value.type = type;
  return value;
}

TEST(Coding, ValuesRoundTrip) {
  namespace es = encoded_spec;
  coding::Value boolean = Make(es::kValueBoolean);
  boolean.boolean = true;
  coding::Value integer = Make(es::kValueInteger);
  integer.integer = -2;
  coding::Value real = Make(es::kValueFloat);
  real.real = 1.0;
  coding::Value text = Make(es::kValueString);
  text.text = "ab";
  const std::vector<ValueCase> cases = {
      {Make(es::kValueNone), Bytes({0}), Bytes({0})},
      {Make(es::kValueEllipsis), Bytes({1}), Bytes({1})},
      {boolean, Bytes({2, 1}), Bytes({2, 1})},
      {integer, Bytes({3, 0xFF, 0xFF, 0xFF, 0xFE}),
       Bytes({3, 0xFF, 0xFF, 0xFF, 0xFE})},
      {real, Bytes({4, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}),
       Bytes({4, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0})},
      {text, Bytes({5, 0, 0, 0, 2, 'a', 'b'}), Bytes({5, 'a', 'b'})},
  };
  for (const ValueCase& row : cases) {
    SCOPED_TRACE(static_cast<int>(row.value.type));
    std::string bytes;
    coding::PutValue(bytes, row.value);
    EXPECT_EQ(row.bytes, bytes);
    std::string withoutLength;
    coding::PutValue(withoutLength, row.value, coding::StringLength::kLeftOut);
    EXPECT_EQ(row.withoutLength, withoutLength);

    // Read back from the middle of a buffer, with a byte after the value.
    const std::string buffer = "x" + bytes + "y";
    size_t offset = 1;
    coding::Value read;
    ASSERT_TRUE(coding::GetValue(Data(buffer), buffer.size(), &offset, &read));
    EXPECT_EQ(1 + bytes.size(), offset);
    EXPECT_EQ(row.value.type, read.type);
    EXPECT_EQ(row.value.boolean, read.boolean);
    EXPECT_EQ(row.value.integer, read.integer);
    EXPECT_EQ(row.value.real, read.real);
    EXPECT_EQ(row.value.text, read.text);

    // Every shorter cut of the value is refused and leaves the offset alone.
    for (size_t size = 0; size < bytes.size(); ++size) {
      size_t at = 0;
      EXPECT_FALSE(coding::GetValue(Data(bytes), size, &at, &read)) << size;
      EXPECT_EQ(0u, at);
    }
  }
}

TEST(Coding, UnknownValueTypeIsRefused) {
  const std::string bytes = Bytes({6, 0, 0, 0, 0});
  size_t offset = 0;
  coding::Value read;
  EXPECT_FALSE(coding::GetValue(Data(bytes), bytes.size(), &offset, &read));
  EXPECT_EQ(0u, offset);
}

}  // namespace
