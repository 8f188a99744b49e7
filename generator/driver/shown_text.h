// How the driver's own lines show text that comes from a spec: a bad
// token's text, and the names of the files it asks for. No byte of it
// reaches a terminal raw (an escape sequence in an include name could set
// the terminal's title), and each shown text stands for exactly one byte
// string.
#pragma once

#include <string>

namespace kivg {

// Every byte below 0x20 or above 0x7E as \xHH (lower-case digits) and a
// backslash as \\; every other byte as itself.
std::string ShownText(const std::string& text);

// A bad token's text: as ShownText, cut after its first 64 bytes with
// "..." appended, so that a huge unterminated string or a binary file does
// not flood a terminal.
std::string ShownTokenText(const std::string& text);

}  // namespace kivg
