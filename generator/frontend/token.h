// A token of a spec source, as the lexer hands it to the driver and the parser.
// The TokenType codes are also the grammar's terminal numbers, so they must
// never be renumbered: the generated parse tables are indexed by them.
#pragma once

#include <cstdint>
#include <string>

#include "generator/frontend/source_element.h"

enum class TokenType : int32_t {
  BAD = -1,
  END = 0,
  ASSIGN = 1,
  LEFT_PAREN = 2,
  NAME = 3,
  AND = 4,
  ASSERT = 5,
  BREAK = 6,
  CLASS = 7,
  CONTINUE = 8,
  DEL = 9,
  ELIF = 10,
  ELSE = 11,
  EXCEPT = 12,
  EXEC = 13,
  FINALLY = 14,
  FOR = 15,
  FROM = 16,
  GLOBAL = 17,
  IF = 18,
  IN = 19,
  IS = 20,
  LAMBDA = 21,
  LOCAL = 22,
  NONLOCAL = 23,
  NOT = 24,
  OR = 25,
  PASS = 26,
  RAISE = 27,
  RETURN = 28,
  TRY = 29,
  WHILE = 30,
  WITH = 31,
  YIELD = 32,
  UNEXPECTED_INDENT = 33,
  MISSING_INDENT = 34,
  MISMATCHED_INDENT = 35,
  INCONSISTENT_INDENT = 36,
  COLON = 37,
  NEWLINE = 38,
  LIB = 39,
  INCLUDE = 40,
  STRING = 41,
  IMPORT = 42,
  AS = 43,
  PLUS = 44,
  MINUS = 45,
  DEF = 46,
  RIGHT_PAREN = 47,
  DEDENT = 48,
  COMMA = 49,
  ASTERISK = 50,
  DOUBLE_ASTERISK = 51,
  NONE = 52,
  FALSE = 53,
  TRUE = 54,
  ELLIPSIS = 55,
  INTEGER = 56,
  FLOAT = 57,
};

// Error tokens never reach the parser; the driver reports them.
inline bool IsErrorToken(TokenType type) {
  return type == TokenType::BAD ||
         (type >= TokenType::UNEXPECTED_INDENT &&
          type <= TokenType::INCONSISTENT_INDENT);
}

struct Token : public SourceElement {
  // General form: operators, names, keywords, bad and indentation tokens.
  Token(const SourceLocation& where, TokenType t, std::string txt = {},
        std::string why = {})
      : SourceElement(where), type(t), text(std::move(txt)),
        detail(std::move(why)) {}

  static Token* MakeString(const SourceLocation& where, std::string value) {
    return new Token(where, TokenType::STRING, std::move(value));
  }
  static Token* MakeInteger(const SourceLocation& where, int32_t value,
                            bool needsNegation, std::string numeral) {
    Token* token = new Token(where, TokenType::INTEGER, std::move(numeral));
    token->integerValue = value;
    token->needsNegation = needsNegation;
    return token;
  }
  static Token* MakeReal(const SourceLocation& where, double value,
                         std::string numeral) {
    Token* token = new Token(where, TokenType::FLOAT, std::move(numeral));
    token->realValue = value;
    return token;
  }

  TokenType type;
  // Only for INTEGER: a decimal 2147483648, valid only as the magnitude of
  // -2147483648.
  bool needsNegation = false;
  union {
    int32_t integerValue;
    double realValue = 0.0;
  };
  std::string text;
  std::string detail;
};
