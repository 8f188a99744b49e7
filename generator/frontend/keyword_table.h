// The spec language's keywords and the token type of each, made from the
// token list (token.h) and shared by every lexer of the run. An identifier
// that is not a keyword is a NAME; keywords the spec statements never use are
// still reserved, so they can never be names.
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

  // Enters the keywords that the token list marks KeywordEntry::kByFirstLexer,
  // once; every lexer calls it when it is made, so only the first one writes
  // to the table, which is read-only afterwards.
  static void EnterLateKeywords();

 private:
  // std::less<> lets a lookup compare against the identifier's bytes in
  // place, without building a string for every name the lexer scans.
  using Map = std::map<std::string, TokenType, std::less<>>;
  static Map& Table();
};

}  // namespace kivg
