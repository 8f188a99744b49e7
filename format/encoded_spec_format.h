// Byte layout of the encoded app spec that generated C code hands to the
// engine (KivAppSpec::spec), shared by the generator's C source writer and the
// stand-in engine's decoder. Words are 32-bit big-endian; V is the encoding
// version (0, 1 or 2).
//
// Entries, in order:
//   header (V >= 1)   FF FF, V, [features byte if V >= 2], word modules - 1
//   import            FC, word engine module symbol (negated module number)
//   module begin      FD                 (every module but the main one)
//   constant          FF, [word name if V >= 1], value
//   bare name         FE                 (V = 0 only; no entry if V >= 1)
//   function          count byte n (FB if n > 250), [word name (| member flag
//                     if V >= 2) if V >= 1], [word n if n > 250],
//                     [word qualified-name symbol if member and V >= 2],
//                     one parameter word per parameter (kind flags below),
//                     followed by a value when the parameter has a default
//   class begin       FE, word name | class flag
//   class end         FE 00
//
// A value is one LiteralType byte, then: Boolean one byte; Integer one word;
// Float the 8 bytes of the IEEE-754 double, most significant first; String a
// length word and the bytes; None and Ellipsis nothing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kivformat {
namespace encoded_spec {

constexpr uint8_t kHeaderMark = 0xFF;  // twice, at the start of a header
constexpr uint8_t kImport = 0xFC;
constexpr size_t kImportEntrySize = 5;  // the mark and the module word
constexpr uint8_t kModuleBegin = 0xFD;
constexpr uint8_t kConstant = 0xFF;
constexpr uint8_t kBareName = 0xFE;
constexpr uint8_t kClassBegin = 0xFE;
constexpr uint8_t kClassEnd[2] = {0xFE, 0x00};

// A header's module count less one stays below this, so that the count and
// every module's engine symbol (0, -1, ..., -(count - 1)) fit 32 bits.
constexpr uint32_t kExtraModulesLimit = 0x7FFFFFFF;

// Largest parameter count written as the entry's count byte; a function with
// more parameters needs encoding version 1 or later.
constexpr int kMaxShortParameterCount = 250;
constexpr uint8_t kLongParameterCount = 0xFB;

// Flags or-ed into symbol words.
constexpr uint32_t kMemberFunctionFlag = 0x10000000;
constexpr uint32_t kClassFlag = 0x80000000;
constexpr uint32_t kParameterDefaultFlag = 0x10000000;
constexpr uint32_t kParameterTupleGroupFlag = 0x20000000;
constexpr uint32_t kParameterDictionaryGroupFlag = 0x30000000;
constexpr uint32_t kParameterFlagMask = 0xF0000000;
// Every flag lies in these top bits of the word, which symbol numbers must
// leave clear (the generator's highest symbol number is tied to them).
constexpr uint32_t kSymbolFlagBits = 0xF0000000;
static_assert(((kMemberFunctionFlag | kClassFlag | kParameterDefaultFlag |
                kParameterTupleGroupFlag | kParameterDictionaryGroupFlag |
                kParameterFlagMask) &
               ~kSymbolFlagBits) == 0,
              "a symbol word's flag lies outside its flag bits");

// Encoding versions and what they add.
constexpr uint8_t kFirstVersion = 0;              // no header, no name words
constexpr uint8_t kFirstVersionWithHeader = 1;    // header, name words
constexpr uint8_t kFirstVersionWithFeatures = 2;  // features, members

// Value type bytes (the LiteralType numbers).
constexpr uint8_t kValueNone = 0;
constexpr uint8_t kValueEllipsis = 1;
constexpr uint8_t kValueBoolean = 2;
constexpr uint8_t kValueInteger = 3;
constexpr uint8_t kValueFloat = 4;
constexpr uint8_t kValueString = 5;

}  // namespace encoded_spec
}  // namespace kivformat
