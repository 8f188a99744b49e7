// The number encodings of the generator's outputs: 32-bit words and IEEE-754
// doubles as big-endian raw bytes, and the C string escapes through which the
// encoded spec travels inside generated C source. Used by the three writers.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// Appends the value most significant byte first.
void AppendWord(std::string& bytes, uint32_t word);
void AppendDouble(std::string& bytes, double value);

// A zero byte becomes "\0", any other byte "\x" and two uppercase hex digits.
// Every byte is escaped, so an escape never runs into the next character.
void AppendByteEscape(std::string& text, uint8_t byte);
void AppendEscapes(std::string& text, const std::string& bytes);

// The stream forms of the escapes. They write unformatted characters, so the
// stream's flags, fill and width are left exactly as the caller set them.
void WriteByteEscape(std::ostream& out, uint8_t byte);
// Four byte escapes, most significant byte first (64 is "\0\0\0\x40").
void WriteWordEscape(std::ostream& out, uint32_t word);
