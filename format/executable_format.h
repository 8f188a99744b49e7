// Byte layout of the stand-in engine's script executable (*.kive), written by
// kivc and read by the stand-in engine.
//
//   offset  size  field
//   0       4     magic "KivE"
//   4       4     code version: major, minor, patch, build
//   8       4     check value of the app spec the script was compiled
//                 against, big-endian
//   12      ...   instructions, each an opcode byte followed by its operands
//
// Instructions (word = 32-bit big-endian, long = 64-bit big-endian):
//   01  PushNone
//   02  PushEllipsis
//   03  PushBoolean    byte 0 or 1
//   04  PushInteger    long, two's complement
//   05  PushFloat      the 8 bytes of the IEEE-754 double, most significant
//                      first
//   06  PushString     word length, then the bytes
//   07  PushConstant   word module, word name symbol
//   08  PushArguments  the script's argument tuple
//   09  Call           word module, word function symbol, byte positional
//                      count, byte keyword count, one word parameter symbol
//                      per keyword; the positional values and then the
//                      keyword values are on the stack, last one on top
//   0A  Discard        drops the value on top of the stack
//   0B  End
//
// A module operand of 0 is the main module; k > 0 is the module imported under
// the k-th import alias in ascending byte order (the order of the spec file's
// alias section and of the encoded spec's import entries). The program counter
// of an instruction is its offset from the start of the file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kivformat {
namespace executable {

constexpr char kMagic[4] = {'K', 'i', 'v', 'E'};
constexpr size_t kMagicSize = 4;
constexpr size_t kCodeVersionOffset = 4;
constexpr size_t kCheckValueOffset = 8;
constexpr size_t kHeaderSize = 12;

// The code version kivc writes. The engine runs code of its own major version
// and of a minor version not newer than its own.
constexpr uint8_t kCodeVersion[4] = {1, 3, 0, 0};

enum Opcode : uint8_t {
  kPushNone = 0x01,
  kPushEllipsis = 0x02,
  kPushBoolean = 0x03,
  kPushInteger = 0x04,
  kPushFloat = 0x05,
  kPushString = 0x06,
  kPushConstant = 0x07,
  kPushArguments = 0x08,
  kCall = 0x09,
  kDiscard = 0x0A,
  kEnd = 0x0B,
};

constexpr uint32_t kMainModule = 0;
// Largest positional or keyword count of one call.
constexpr int kMaxCallArguments = 255;

}  // namespace executable
}  // namespace kivformat
