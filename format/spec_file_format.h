// Byte layout of the binary application spec file (*.kivec), shared by the
// generator's writer and the stand-in script compiler's reader, and the
// feature bits that the file, the encoded spec and the model all carry.
//
//   offset  size  field
//   0       4     magic "KivS"
//   4       1     format version (1, 2 or 3)
//   5       4     check value, big-endian
//   9       1     features bit set (format version 3 and later only)
//   9/10    ...   name list: each name followed by one terminator byte,
//                 0x0A in version 1, 0x20 in versions 2 and 3.
//
// Name list sections, in order: import aliases; in versions 2 and 3 one empty
// entry (a lone terminator); definition names; parameter names. The k-th name
// written (the empty entry not counted) has symbol number 64 + k.
#pragma once

#include <cstdint>

namespace kivformat {
namespace spec_file {

constexpr char kMagic[4] = {'K', 'i', 'v', 'S'};
constexpr int kMagicSize = 4;
constexpr int kCheckValueOffset = 5;
constexpr int kFixedHeaderSize = 9;

// The versions a reader accepts.
constexpr uint8_t kFirstVersion = 1;
constexpr uint8_t kLastVersion = 3;

// The format version from which the features byte is present.
constexpr uint8_t kFirstVersionWithFeatures = 3;
// The format version from which an empty entry ends the alias section.
constexpr uint8_t kFirstVersionWithAliasEnd = 2;

constexpr uint8_t kTerminatorVersion1 = 0x0A;
constexpr uint8_t kTerminatorLater = 0x20;

inline uint8_t NameTerminator(uint8_t formatVersion) {
  return formatVersion == 1 ? kTerminatorVersion1 : kTerminatorLater;
}

// Symbol number of the first name in the file.
constexpr int32_t kFirstNameSymbol = 64;

// Feature bits.
constexpr uint8_t kClassFeature = 0x01;

}  // namespace spec_file
}  // namespace kivformat
