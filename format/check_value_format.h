// The byte sequence whose CRC-32 is the check value that ties a spec file,
// its generated C code and every script compiled against it together. The
// generator feeds these bytes; nothing stores them.
//
//   features      66 ("f"), features byte          only when features != 0
//   per module    2E ("."), each alias + 00        only when it has aliases
//   then each definition, depth first in walk order, by its plain name:
//   assignment    0B, name, [value]
//   function      0C, name, per parameter: 28 ("("), name, [default value]
//   class begin   63 ("c"), name
//
// A value is coded as in the encoded spec, except that a string has no length
// word. Names are their raw bytes, with no length or terminator.
#pragma once

#include <cstdint>

namespace kivformat {
namespace check_value {

constexpr uint8_t kFeaturesMark = 0x66;
constexpr uint8_t kAliasesMark = 0x2E;
constexpr uint8_t kAliasEnd = 0x00;
constexpr uint8_t kAssignmentMark = 0x0B;
constexpr uint8_t kFunctionMark = 0x0C;
constexpr uint8_t kParameterMark = 0x28;
constexpr uint8_t kClassMark = 0x63;

}  // namespace check_value
}  // namespace kivformat
