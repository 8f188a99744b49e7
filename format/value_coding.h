// A literal value as the formats code it: its type byte (the encoded spec's
// kValue* numbers), then the payload that type has. The encoded spec writes
// it with a string's length word, the check value feeds it without, and the
// stand-in engine reads it back from generated records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "format/coding.h"
#include "format/encoded_spec_format.h"

namespace kivformat {
namespace coding {

// One of the encoded_spec::kValue* type bytes and the field that type uses.
// A string's text is a view of bytes kept elsewhere.
struct Value {
  uint8_t type = encoded_spec::kValueNone;
  bool boolean = false;
  int32_t integer = 0;
  double real = 0;
  std::string_view text;
};

enum class StringLength { kWritten, kLeftOut };

// The type byte, then: Boolean one byte 0 or 1; Integer the 32-bit two's
// complement; Float the double; String the length (unless left out) and the
// bytes; None and Ellipsis nothing.
inline void PutValue(std::string& out, const Value& value,
                     StringLength length = StringLength::kWritten) {
  out += static_cast<char>(value.type);
  switch (value.type) {
    case encoded_spec::kValueBoolean:
      out += static_cast<char>(value.boolean ? 1 : 0);
      break;
    case encoded_spec::kValueInteger:
      PutFixed32(out, static_cast<uint32_t>(value.integer));
      break;
    case encoded_spec::kValueFloat:
      PutDouble(out, value.real);
      break;
    case encoded_spec::kValueString:
      if (length == StringLength::kWritten)
        PutFixed32(out, static_cast<uint32_t>(value.text.size()));
      out += value.text;
      break;
    default:
      break;
  }
}

// Reads a value written with its string length; a string's text is a view
// into the reader's bytes. False for an unknown type byte or a value that
// runs past the end, and then nothing is consumed.
inline bool GetValue(MemoryReader& in, Value* value) {
  MemoryReader at = in;
  Value read;
  if (!at.GetByte(&read.type)) return false;
  switch (read.type) {
    case encoded_spec::kValueNone:
    case encoded_spec::kValueEllipsis:
      break;
    case encoded_spec::kValueBoolean: {
      uint8_t flag;
      if (!at.GetByte(&flag)) return false;
      read.boolean = flag != 0;
      break;
    }
    case encoded_spec::kValueInteger: {
      uint32_t bits;
      if (!at.GetFixed32(&bits)) return false;
      read.integer = static_cast<int32_t>(bits);
      break;
    }
    case encoded_spec::kValueFloat:
      if (!at.GetDouble(&read.real)) return false;
      break;
    case encoded_spec::kValueString: {
      uint32_t length;
      if (!at.GetFixed32(&length) || !at.GetBytes(length, &read.text))
        return false;
      break;
    }
    default:
      return false;
  }
  in = at;
  *value = read;
  return true;
}

}  // namespace coding
}  // namespace kivformat
