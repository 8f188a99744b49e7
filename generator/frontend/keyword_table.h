// The spec language's keywords and the token type of each, shared by every
// lexer of the run. An identifier that is not a keyword is a NAME; keywords
// the spec statements never use are still reserved, so they can never be names.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "generator/frontend/token.h"

namespace kivg {

class KeywordTable {
 public:
  // The keyword's token type for an exact, case-sensitive match of the whole
  // identifier; NAME for anything else.
  static TokenType Lookup(std::string_view identifier);

  // Enters a keyword unless it is present already. Only the first lexer writes
  // to the table; afterwards it is read-only.
  static void Add(const std::string& keyword, TokenType type);

 private:
  // std::less<> lets a lookup compare against the identifier's bytes in
  // place, without building a string for every name the lexer scans.
  using Map = std::map<std::string, TokenType, std::less<>>;
  static Map& Table();
};

}  // namespace kivg
