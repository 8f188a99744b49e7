// A token of a spec source, as the lexer hands it to the driver and the parser.
// The TokenType codes are also the grammar's terminal numbers, so they must
// never be renumbered: the generated parse tables are indexed by them.
#pragma once

#include <cstdint>
#include <string>

#include "generator/frontend/source_element.h"

namespace kivg {

// The grammar's terminals with their codes, in code order. TokenType,
// TokenTypeName and the parser's compile-time check of every code against the
// number lemon gives it from the %token list are all made from this one list,
// so the two cannot drift apart unnoticed. END (0) and BAD (-1) are not
// declared terminals, so they stand outside it.
#define KIV_TERMINAL_TOKENS(X) \
  X(ASSIGN, 1)                 \
  X(LEFT_PAREN, 2)             \
  X(NAME, 3)                   \
  X(AND, 4)                    \
  X(ASSERT, 5)                 \
  X(BREAK, 6)                  \
  X(CLASS, 7)                  \
  X(CONTINUE, 8)               \
  X(DEL, 9)                    \
  X(ELIF, 10)                  \
  X(ELSE, 11)                  \
  X(EXCEPT, 12)                \
  X(EXEC, 13)                  \
  X(FINALLY, 14)               \
  X(FOR, 15)                   \
  X(FROM, 16)                  \
  X(GLOBAL, 17)                \
  X(IF, 18)                    \
  X(IN, 19)                    \
  X(IS, 20)                    \
  X(LAMBDA, 21)                \
  X(LOCAL, 22)                 \
  X(NONLOCAL, 23)              \
  X(NOT, 24)                   \
  X(OR, 25)                    \
  X(PASS, 26)                  \
  X(RAISE, 27)                 \
  X(RETURN, 28)                \
  X(TRY, 29)                   \
  X(WHILE, 30)                 \
  X(WITH, 31)                  \
  X(YIELD, 32)                 \
  X(UNEXPECTED_INDENT, 33)     \
  X(MISSING_INDENT, 34)        \
  X(MISMATCHED_INDENT, 35)     \
  X(INCONSISTENT_INDENT, 36)   \
  X(COLON, 37)                 \
  X(NEWLINE, 38)               \
  X(LIB, 39)                   \
  X(INCLUDE, 40)               \
  X(STRING, 41)                \
  X(IMPORT, 42)                \
  X(AS, 43)                    \
  X(PLUS, 44)                  \
  X(MINUS, 45)                 \
  X(DEF, 46)                   \
  X(RIGHT_PAREN, 47)           \
  X(DEDENT, 48)                \
  X(COMMA, 49)                 \
  X(ASTERISK, 50)              \
  X(DOUBLE_ASTERISK, 51)       \
  X(NONE, 52)                  \
  X(FALSE, 53)                 \
  X(TRUE, 54)                  \
  X(ELLIPSIS, 55)              \
  X(INTEGER, 56)               \
  X(FLOAT, 57)

enum class TokenType : int32_t {
  BAD = -1,
  END = 0,
#define KIV_TOKEN_ENUMERATOR(name, code) name = code,
  KIV_TERMINAL_TOKENS(KIV_TOKEN_ENUMERATOR)
#undef KIV_TOKEN_ENUMERATOR
};

// END and the listed terminals: the number of terminal symbols the parse
// tables are built for.
#define KIV_TOKEN_COUNT_ONE(name, code) +1
constexpr int kTerminalTokenCount = 1 KIV_TERMINAL_TOKENS(KIV_TOKEN_COUNT_ONE);
#undef KIV_TOKEN_COUNT_ONE

// The enumerator's name ("DEL"), for tests and diagnostics.
inline const char* TokenTypeName(TokenType type) {
  switch (type) {
    case TokenType::BAD:
      return "BAD";
    case TokenType::END:
      return "END";
#define KIV_TOKEN_NAME_CASE(name, code) \
  case TokenType::name:                 \
    return #name;
      KIV_TERMINAL_TOKENS(KIV_TOKEN_NAME_CASE)
#undef KIV_TOKEN_NAME_CASE
  }
  return "?";
}

// Error tokens never reach the parser; the driver reports them.
inline bool IsErrorToken(TokenType type) {
  return type == TokenType::BAD || (type >= TokenType::UNEXPECTED_INDENT &&
                                    type <= TokenType::INCONSISTENT_INDENT);
}

struct Token : public SourceElement {
  // General form: operators, names, keywords, bad and indentation tokens.
  Token(const SourceLocation& where, TokenType t, std::string txt = {},
        std::string why = {})
      : SourceElement(where),
        type(t),
        text(std::move(txt)),
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

}  // namespace kivg
