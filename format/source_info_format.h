// Byte layout of the stand-in source-info file (*.kivd), written by kivc and
// read by the stand-in source-info library.
//
//   size  field
//   4     magic "KivD"
//   1     format version (1)
//   1     flags: bit 0 set when the file holds symbol names
//   4     source file count F
//         F times: word length, the file name's bytes (no zero byte)
//   4     location count L
//         L times: word program counter, word file index (< F), word line,
//         word column; program counters strictly ascending
//   4     symbol count S (0 when flag bit 0 is clear)
//         S times: word symbol (signed), word length, the name's bytes
//         (no zero byte); symbols strictly ascending
//
// Words are 32-bit big-endian. Nothing follows the last symbol; a file that is
// shorter or longer than its counts say is corrupt.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kivformat {
namespace source_info {

constexpr char kMagic[4] = {'K', 'i', 'v', 'D'};
constexpr size_t kMagicSize = 4;
constexpr uint8_t kVersion = 1;
constexpr uint8_t kHasSymbolNames = 0x01;

}  // namespace source_info
}  // namespace kivformat
