// A token of a spec source, as the lexer hands it to the driver and the parser.
// The TokenType codes are also the grammar's terminal numbers, so they must
// never be renumbered: the generated parse tables are indexed by them.
#pragma once

#include <cstdint>
#include <string>

#include "generator/frontend/source_element.h"

namespace kivg {

// The grammar's terminals with their codes, in code order, and the spelling
// of every keyword: the one place a token is declared. TokenType,
// TokenTypeName, the keyword table, the parser's compile-time check of every
// code against the number lemon gives it from the %token list, and the fuzz
// dictionary are all made from this list, and the editor grammars are tested
// against it, so none of them can drift from it unnoticed. END (0) and BAD
// (-1) are not declared terminals, so they stand outside it.
//   TOKEN(name, code)                       a terminal that is not a keyword
//   KEYWORD(name, code, spelling, entered)  a keyword as a source spells it;
//       `entered` says when the keyword table gets it (KeywordEntry)
#define KIV_TERMINAL_TOKENS(TOKEN, KEYWORD)      \
  TOKEN(ASSIGN, 1)                               \
  TOKEN(LEFT_PAREN, 2)                           \
  TOKEN(NAME, 3)                                 \
  KEYWORD(AND, 4, "and", kAtStart)               \
  KEYWORD(ASSERT, 5, "assert", kAtStart)         \
  KEYWORD(BREAK, 6, "break", kAtStart)           \
  KEYWORD(CLASS, 7, "class", kAtStart)           \
  KEYWORD(CONTINUE, 8, "continue", kAtStart)     \
  KEYWORD(DEL, 9, "del", kAtStart)               \
  KEYWORD(ELIF, 10, "elif", kAtStart)            \
  KEYWORD(ELSE, 11, "else", kAtStart)            \
  KEYWORD(EXCEPT, 12, "except", kAtStart)        \
  KEYWORD(EXEC, 13, "exec", kAtStart)            \
  KEYWORD(FINALLY, 14, "finally", kAtStart)      \
  KEYWORD(FOR, 15, "for", kAtStart)              \
  KEYWORD(FROM, 16, "from", kAtStart)            \
  KEYWORD(GLOBAL, 17, "global", kAtStart)        \
  KEYWORD(IF, 18, "if", kAtStart)                \
  KEYWORD(IN, 19, "in", kAtStart)                \
  KEYWORD(IS, 20, "is", kAtStart)                \
  KEYWORD(LAMBDA, 21, "lambda", kAtStart)        \
  KEYWORD(LOCAL, 22, "local", kAtStart)          \
  KEYWORD(NONLOCAL, 23, "nonlocal", kAtStart)    \
  KEYWORD(NOT, 24, "not", kAtStart)              \
  KEYWORD(OR, 25, "or", kAtStart)                \
  KEYWORD(PASS, 26, "pass", kAtStart)            \
  KEYWORD(RAISE, 27, "raise", kAtStart)          \
  KEYWORD(RETURN, 28, "return", kAtStart)        \
  KEYWORD(TRY, 29, "try", kAtStart)              \
  KEYWORD(WHILE, 30, "while", kAtStart)          \
  KEYWORD(WITH, 31, "with", kAtStart)            \
  KEYWORD(YIELD, 32, "yield", kAtStart)          \
  TOKEN(UNEXPECTED_INDENT, 33)                   \
  TOKEN(MISSING_INDENT, 34)                      \
  TOKEN(MISMATCHED_INDENT, 35)                   \
  TOKEN(INCONSISTENT_INDENT, 36)                 \
  TOKEN(COLON, 37)                               \
  TOKEN(NEWLINE, 38)                             \
  KEYWORD(LIB, 39, "lib", kByFirstLexer)         \
  KEYWORD(INCLUDE, 40, "include", kByFirstLexer) \
  TOKEN(STRING, 41)                              \
  KEYWORD(IMPORT, 42, "import", kAtStart)        \
  KEYWORD(AS, 43, "as", kAtStart)                \
  TOKEN(PLUS, 44)                                \
  TOKEN(MINUS, 45)                               \
  KEYWORD(DEF, 46, "def", kAtStart)              \
  TOKEN(RIGHT_PAREN, 47)                         \
  TOKEN(DEDENT, 48)                              \
  TOKEN(COMMA, 49)                               \
  TOKEN(ASTERISK, 50)                            \
  TOKEN(DOUBLE_ASTERISK, 51)                     \
  KEYWORD(NONE, 52, "None", kAtStart)            \
  KEYWORD(FALSE, 53, "False", kAtStart)          \
  KEYWORD(TRUE, 54, "True", kAtStart)            \
  TOKEN(ELLIPSIS, 55)                            \
  TOKEN(INTEGER, 56)                             \
  TOKEN(FLOAT, 57)

enum class TokenType : int32_t {
  BAD = -1,
  END = 0,
#define KIV_TOKEN_ENUMERATOR(name, code) name = code,
#define KIV_KEYWORD_ENUMERATOR(name, code, spelling, entered) name = code,
  KIV_TERMINAL_TOKENS(KIV_TOKEN_ENUMERATOR, KIV_KEYWORD_ENUMERATOR)
#undef KIV_KEYWORD_ENUMERATOR
#undef KIV_TOKEN_ENUMERATOR
};

// END and the listed terminals: the number of terminal symbols the parse
// tables are built for.
#define KIV_TOKEN_COUNT_ONE(name, code) +1
#define KIV_KEYWORD_COUNT_ONE(name, code, spelling, entered) +1
constexpr int kTerminalTokenCount =
    1 KIV_TERMINAL_TOKENS(KIV_TOKEN_COUNT_ONE, KIV_KEYWORD_COUNT_ONE);
#undef KIV_KEYWORD_COUNT_ONE
#undef KIV_TOKEN_COUNT_ONE

// The enumerator's name ("DEL"). Only tests print it (the lexer's tests
// render every token with it); it is made here so that each code's name
// comes from the one list.
inline const char* TokenTypeName(TokenType type) {
  switch (type) {
    case TokenType::BAD:
      return "BAD";
    case TokenType::END:
      return "END";
#define KIV_TOKEN_NAME_CASE(name, code) \
  case TokenType::name:                 \
    return #name;
#define KIV_KEYWORD_NAME_CASE(name, code, spelling, entered) \
  KIV_TOKEN_NAME_CASE(name, code)
      KIV_TERMINAL_TOKENS(KIV_TOKEN_NAME_CASE, KIV_KEYWORD_NAME_CASE)
#undef KIV_KEYWORD_NAME_CASE
#undef KIV_TOKEN_NAME_CASE
  }
  return "?";
}

// When the keyword table gets a keyword: most are there before any source is
// read; the first lexer enters `lib` and `include` (and every source sees
// them, the first one included).
enum class KeywordEntry { kAtStart, kByFirstLexer };

struct Keyword {
  TokenType type;
  const char* spelling;
  KeywordEntry entered;
};

// Every keyword of the list, in code order.
inline constexpr Keyword kKeywords[] = {
#define KIV_NOT_A_KEYWORD(name, code)
#define KIV_KEYWORD_ROW(name, code, spelling, entered) \
  {TokenType::name, spelling, KeywordEntry::entered},
    KIV_TERMINAL_TOKENS(KIV_NOT_A_KEYWORD, KIV_KEYWORD_ROW)
#undef KIV_KEYWORD_ROW
#undef KIV_NOT_A_KEYWORD
};

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
