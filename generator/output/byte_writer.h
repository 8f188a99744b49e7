// The C string escapes through which the encoded spec travels inside
// generated C source, and the escaped form of a big-endian word. Used by the
// C writers; the bytes themselves are coded by format/coding.h.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace kivg {

// A zero byte becomes "\0", any other byte "\x" and two uppercase hex digits.
// Every byte is escaped, so an escape never runs into the next character.
void AppendByteEscape(std::string& text, uint8_t byte);
void AppendEscapes(std::string& text, const std::string& bytes);

// The stream forms of the escapes. They write unformatted characters, so the
// stream's flags, fill and width are left exactly as the caller set them. No
// writer calls them (the C source writer buffers its text and appends the
// escapes to it); they stay as the stream operations of the escape format,
// and their tests pin the escapes byte for byte.
void WriteByteEscape(std::ostream& out, uint8_t byte);
// Four byte escapes, most significant byte first (64 is "\0\0\0\x40").
void WriteWordEscape(std::ostream& out, uint32_t word);

}  // namespace kivg
