// The shared codec: what Put writes the reader gets back, big-endian byte for
// byte; a read that finds too few bytes, or a value of an unknown type, is
// refused and consumes nothing, whatever the source of the bytes.
#include "format/coding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "format/value_coding.h"

namespace {

namespace coding = kivformat::coding;
namespace es = kivformat::encoded_spec;
using coding::MemoryReader;
using coding::MemorySource;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

MemoryReader ReaderOf(const std::string& bytes, size_t position = 0) {
  return MemoryReader(MemorySource(bytes), position);
}

TEST(Coding, FixedWidthNumbersAreBigEndianAndReadBack) {
  std::string bytes;
  coding::PutFixed32(bytes, 0x01020304);
  coding::PutFixed64(bytes, 0xFEDCBA9876543210u);
  coding::PutDouble(bytes, -0.0);
  EXPECT_EQ(Bytes({1,    2,    3,    4, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54,
                   0x32, 0x10, 0x80, 0, 0,    0,    0,    0,    0,    0}),
            bytes);

  MemoryReader in = ReaderOf(bytes);
  uint32_t fixed32 = 0;
  uint64_t fixed64 = 0;
  double real = 1;
  ASSERT_TRUE(in.GetFixed32(&fixed32));
  ASSERT_TRUE(in.GetFixed64(&fixed64));
  ASSERT_TRUE(in.GetDouble(&real));
  EXPECT_EQ(0x01020304u, fixed32);
  EXPECT_EQ(0xFEDCBA9876543210u, fixed64);
  EXPECT_TRUE(real == 0 && std::signbit(real));
  EXPECT_TRUE(in.AtEnd());

  for (double value :
       {0.0, 1.5, -2.25e-300, 1e308, std::numeric_limits<double>::infinity()}) {
    bytes.clear();
    coding::PutDouble(bytes, value);
    ASSERT_EQ(8u, bytes.size());
    MemoryReader again = ReaderOf(bytes);
    ASSERT_TRUE(again.GetDouble(&real));
    EXPECT_EQ(value, real);
  }
}

// Each kind of read, on every cut of its bytes: refused below its width,
// and then neither the position nor the output moves.
TEST(Coding, ReadsCutShortAreRefusedAndConsumeNothing) {
  const std::string bytes = Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8});
  const struct {
    const char* label;
    size_t width;
    bool (*read)(MemoryReader&);
  } reads[] = {
      {"byte", 1,
       [](MemoryReader& in) {
         uint8_t out = 0xAA;
         return in.GetByte(&out) || out != 0xAA;
       }},
      {"fixed32", 4,
       [](MemoryReader& in) {
         uint32_t out = 7;
         return in.GetFixed32(&out) || out != 7;
       }},
      {"fixed64", 8,
       [](MemoryReader& in) {
         uint64_t out = 7;
         return in.GetFixed64(&out) || out != 7;
       }},
      {"double", 8,
       [](MemoryReader& in) {
         double out = 7;
         return in.GetDouble(&out) || out != 7;
       }},
      {"three bytes in place", 3,
       [](MemoryReader& in) {
         std::string_view out = "unchanged";
         return in.GetBytes(3, &out) || out != "unchanged";
       }},
      {"skip of three", 3, [](MemoryReader& in) { return in.Skip(3); }},
  };
  for (const auto& read : reads) {
    SCOPED_TRACE(read.label);
    // Starting one byte in, so that a read that ignored its position would
    // show.
    for (size_t size = 1; size < 1 + read.width; ++size) {
      MemoryReader in(
          MemorySource(reinterpret_cast<const uint8_t*>(bytes.data()), size),
          1);
      EXPECT_FALSE(read.read(in)) << size;
      EXPECT_EQ(1u, in.position()) << size;
    }
    MemoryReader whole = ReaderOf(bytes, 1);
    EXPECT_TRUE(read.read(whole));
    EXPECT_EQ(1 + read.width, whole.position());
  }
}

TEST(Coding, BytesAreHandedOutInPlace) {
  const std::string bytes = "abcdef";
  MemoryReader in = ReaderOf(bytes);
  std::string_view run;
  ASSERT_TRUE(in.Skip(1));
  ASSERT_TRUE(in.GetBytes(3, &run));
  EXPECT_EQ("bcd", run);
  EXPECT_EQ(bytes.data() + 1, run.data());
  EXPECT_EQ(4u, in.position());
  ASSERT_TRUE(in.GetBytes(0, &run));
  EXPECT_EQ("", run);
  EXPECT_FALSE(in.GetBytes(3, &run));
  EXPECT_EQ(4u, in.position());
  // A reader without bytes reads nothing, not even from a null pointer.
  MemoryReader empty(MemorySource(nullptr, 5));
  uint8_t byte;
  EXPECT_FALSE(empty.GetByte(&byte));
  EXPECT_TRUE(empty.AtEnd());
}

// A source that is not memory, as the stand-in engine's paged code store:
// bytes come one at a time, and the source may fail at any of them.
class FailingSource {
 public:
  FailingSource(std::string bytes, size_t failAt)
      : bytes_(std::move(bytes)), failAt_(failAt) {}
  bool Read(size_t offset, uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      if (offset + i >= failAt_ || offset + i >= bytes_.size()) return false;
      out[i] = static_cast<uint8_t>(bytes_[offset + i]);
    }
    return true;
  }

 private:
  std::string bytes_;
  size_t failAt_;
};

TEST(Coding, AnySourceIsReadTheSameWay) {
  std::string bytes;
  coding::PutFixed32(bytes, 0xCAFEF00D);
  coding::PutFixed64(bytes, 42);
  for (size_t failAt = 0; failAt <= bytes.size(); ++failAt) {
    SCOPED_TRACE(failAt);
    coding::ByteReader<FailingSource> in(FailingSource(bytes, failAt));
    uint32_t fixed32 = 0;
    uint64_t fixed64 = 0;
    const bool first = in.GetFixed32(&fixed32);
    EXPECT_EQ(failAt >= 4, first);
    EXPECT_EQ(first ? 0xCAFEF00Du : 0u, fixed32);
    const bool second = first && in.GetFixed64(&fixed64);
    EXPECT_EQ(failAt >= 12, second);
    EXPECT_EQ(second ? 42u : 0u, fixed64);
    EXPECT_EQ(second ? 12u : first ? 4u : 0u, in.position());
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
    MemoryReader in = ReaderOf(buffer, 1);
    coding::Value read;
    ASSERT_TRUE(coding::GetValue(in, &read));
    EXPECT_EQ(1 + bytes.size(), in.position());
    EXPECT_EQ(row.value.type, read.type);
    EXPECT_EQ(row.value.boolean, read.boolean);
    EXPECT_EQ(row.value.integer, read.integer);
    EXPECT_EQ(row.value.real, read.real);
    EXPECT_EQ(row.value.text, read.text);

    // Every shorter cut of the value is refused and consumes nothing.
    for (size_t size = 0; size < bytes.size(); ++size) {
      MemoryReader cut(
          MemorySource(reinterpret_cast<const uint8_t*>(bytes.data()), size));
      EXPECT_FALSE(coding::GetValue(cut, &read)) << size;
      EXPECT_EQ(0u, cut.position());
    }
  }
}

TEST(Coding, UnknownValueTypeIsRefused) {
  const std::string bytes = Bytes({6, 0, 0, 0, 0});
  MemoryReader in = ReaderOf(bytes);
  coding::Value read;
  EXPECT_FALSE(coding::GetValue(in, &read));
  EXPECT_EQ(0u, in.position());
}

}  // namespace
