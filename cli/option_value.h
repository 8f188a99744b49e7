// The numbers that follow value options on the command lines of kivs and
// kivinfo: written as strtol reads them with base 0 (decimal, "0x" hex,
// leading-zero octal, optional sign) and limited to signed 32 bits. The two
// programs differ only in what an empty value means.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cli {

enum class EmptyValue {
  kZero,     // kivs: an empty value is the number 0
  kInvalid,  // kivinfo: an empty value is rejected
};

// False when the text is not consumed whole, lies outside the signed 32-bit
// range, or is empty and empty values are invalid.
bool ParseOptionNumber(const char* text, EmptyValue empty, int32_t* value);

// The number widened with its sign to a size, so that a negative value
// becomes a huge size whose allocation fails rather than a small one.
bool ParseOptionSize(const char* text, EmptyValue empty, std::size_t* size);

}  // namespace cli
