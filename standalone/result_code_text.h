// How kivs writes an engine result code in its messages: "0x" and at least
// two upper-case hexadecimal digits, the code taken as an unsigned 32-bit
// value so a negative code shows all eight digits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kivs {

inline std::string ResultCodeText(int32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<uint32_t>(code));
  return text;
}

}  // namespace kivs
