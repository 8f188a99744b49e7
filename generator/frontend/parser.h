// The spec parser: drives the tables that lemon generates from grammar.y and
// hands each statement to the Generator. One Parser per source file.
#pragma once

#include "generator/frontend/token.h"

namespace kivg {

class Generator;

class Parser {
 public:
  explicit Parser(Generator& generator);
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Feeds one token; the parser owns it from now on. END is fed as
  // (TokenType::END, nullptr).
  void Parse(TokenType type, Token* token);

 private:
  void* state_;
};

}  // namespace kivg
