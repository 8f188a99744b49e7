// Puts and gets the fixed-size numbers and the literal values of every Kiv
// file format: 32- and 64-bit words and IEEE-754 doubles, all big-endian, and
// a value as its type byte and payload. The generator's writers, its check
// value and the stand-ins' writers and readers all code their bytes here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "format/encoded_spec_format.h"

namespace coding {

constexpr size_t kWordSize = 4;
constexpr size_t kLongSize = 8;
constexpr size_t kDoubleSize = 8;

static_assert(sizeof(double) == sizeof(uint64_t), "IEEE-754 double expected");

// Most significant byte first.
inline void PutWord(std::string& out, uint32_t word) {
  const char bytes[kWordSize] = {
      static_cast<char>(word >> 24), static_cast<char>(word >> 16),
      static_cast<char>(word >> 8), static_cast<char>(word)};
  out.append(bytes, kWordSize);
}

inline void PutLong(std::string& out, uint64_t value) {
  PutWord(out, static_cast<uint32_t>(value >> 32));
  PutWord(out, static_cast<uint32_t>(value));
}

inline uint64_t DoubleBits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline double DoubleFromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void PutDouble(std::string& out, double value) {
  PutLong(out, DoubleBits(value));
}

// The caller has checked that the bytes are there.
inline uint32_t GetWord(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
         uint32_t{bytes[2]} << 8 | uint32_t{bytes[3]};
}

inline uint64_t GetLong(const uint8_t* bytes) {
  return uint64_t{GetWord(bytes)} << 32 | GetWord(bytes + kWordSize);
}

inline double GetDouble(const uint8_t* bytes) {
  return DoubleFromBits(GetLong(bytes));
}

// A literal value: one of the encoded_spec::kValue* type bytes and the field
// that type uses. A string's text is a view of bytes kept elsewhere.
struct Value {
  uint8_t type = encoded_spec::kValueNone;
  bool boolean = false;
  int32_t integer = 0;
  double real = 0;
  std::string_view text;
};

// The encoded spec gives a string its length word; the check value runs the
// text alone through its CRC.
enum class StringLength { kWritten, kLeftOut };

// The type byte, then: Boolean one byte 0 or 1; Integer one word; Float the
// double; String the length word (unless left out) and the bytes; None and
// Ellipsis nothing.
inline void PutValue(std::string& out, const Value& value,
                     StringLength length = StringLength::kWritten) {
  out += static_cast<char>(value.type);
  switch (value.type) {
    case encoded_spec::kValueBoolean:
      out += static_cast<char>(value.boolean ? 1 : 0);
      break;
    case encoded_spec::kValueInteger:
      PutWord(out, static_cast<uint32_t>(value.integer));
      break;
    case encoded_spec::kValueFloat:
      PutDouble(out, value.real);
      break;
    case encoded_spec::kValueString:
      if (length == StringLength::kWritten)
        PutWord(out, static_cast<uint32_t>(value.text.size()));
      out += value.text;
      break;
    default:
      break;
  }
}

// Reads the value at *offset of the size bytes and moves *offset past it.
// False, with *offset and *value untouched, for an unknown type byte or a
// value that runs past the end.
inline bool GetValue(const uint8_t* bytes, size_t size, size_t* offset,
                     Value* value) {
  size_t at = *offset;
  if (at >= size) return false;
  Value read;
  read.type = bytes[at++];
  const size_t left = size - at;
  switch (read.type) {
    case encoded_spec::kValueNone:
    case encoded_spec::kValueEllipsis:
      break;
    case encoded_spec::kValueBoolean:
      if (left < 1) return false;
      read.boolean = bytes[at++] != 0;
      break;
    case encoded_spec::kValueInteger:
      if (left < kWordSize) return false;
      read.integer = static_cast<int32_t>(GetWord(bytes + at));
      at += kWordSize;
      break;
    case encoded_spec::kValueFloat:
      if (left < kDoubleSize) return false;
      read.real = GetDouble(bytes + at);
      at += kDoubleSize;
      break;
    case encoded_spec::kValueString: {
      if (left < kWordSize) return false;
      const uint32_t length = GetWord(bytes + at);
      at += kWordSize;
      if (length > size - at) return false;
      read.text =
          std::string_view(reinterpret_cast<const char*>(bytes + at), length);
      at += length;
      break;
    }
    default:
      return false;
  }
  *offset = at;
  *value = read;
  return true;
}

}  // namespace coding
