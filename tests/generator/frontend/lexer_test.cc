// Source text in, token list out. Each token is rendered on one line with
// everything a reader of it may use: type, text, detail, value, needsNegation
// and location, so one string comparison pins all of them.
#include "generator/frontend/lexer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "generator/frontend/keyword_table.h"

namespace kivg {
namespace {

// Bytes outside printable ASCII are shown as \xNN.
std::string Printable(const std::string& bytes) {
  std::string shown;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      shown += hex;
    }
  }
  return shown;
}

// A short decimal form that reads back as the same double.
std::string ShortestReal(double value) {
  char text[64];
  for (int precision = 6; precision <= 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (std::strtod(text, nullptr) == value || std::isnan(value)) break;
  }
  return text;
}

// TYPE 'text' (detail) =value neg @line:column
std::string Describe(const Token& token) {
  std::string shown = TokenTypeName(token.type);
  if (!token.text.empty()) shown += " '" + Printable(token.text) + "'";
  if (!token.detail.empty()) shown += " (" + token.detail + ")";
  if (token.type == TokenType::INTEGER)
    shown += " =" + std::to_string(token.integerValue);
  if (token.type == TokenType::FLOAT)
    shown += " =" + ShortestReal(token.realValue);
  if (token.needsNegation) shown += " neg";
  shown += " @" + std::to_string(token.location.line) + ":" +
           std::to_string(token.location.column);
  return shown;
}

// Every token up to and including the first END.
std::vector<std::string> Lex(const std::string& source) {
  Lexer lexer(source, "app.kivs");
  std::vector<std::string> tokens;
  for (;;) {
    std::unique_ptr<Token> token(lexer.NextToken());
    tokens.push_back(Describe(*token));
    if (token->type == TokenType::END) return tokens;
  }
}

struct Case {
  std::string source;
  std::vector<std::string> tokens;
};

void ExpectTokens(const std::vector<Case>& cases) {
  for (const Case& row : cases) {
    SCOPED_TRACE("source: \"" + Printable(row.source) + "\"");
    EXPECT_EQ(row.tokens, Lex(row.source));
  }
}

// Rows for single literals: the expected tokens must make up the whole line,
// so the token after them is the NEWLINE of the synthetic line end.
void ExpectLine(const std::vector<Case>& cases) {
  for (const Case& row : cases) {
    SCOPED_TRACE("source: \"" + Printable(row.source) + "\"");
    std::vector<std::string> tokens = Lex(row.source);
    ASSERT_GT(tokens.size(), row.tokens.size());
    EXPECT_EQ(row.tokens,
              std::vector<std::string>(tokens.begin(),
                                       tokens.begin() + row.tokens.size()));
    EXPECT_EQ(0u, tokens[row.tokens.size()].rfind("NEWLINE ", 0))
        << tokens[row.tokens.size()];
  }
}

// Every code, -1 to 57, with the name it must carry: the parse tables are
// indexed by these numbers, so the list in token.h may not reorder them.
TEST(TokenTest, CodesAndNamesFollowTheTerminalNumbering) {
  static const char* const kNames[] = {"BAD",
                                       "END",
                                       "ASSIGN",
                                       "LEFT_PAREN",
                                       "NAME",
                                       "AND",
                                       "ASSERT",
                                       "BREAK",
                                       "CLASS",
                                       "CONTINUE",
                                       "DEL",
                                       "ELIF",
                                       "ELSE",
                                       "EXCEPT",
                                       "EXEC",
                                       "FINALLY",
                                       "FOR",
                                       "FROM",
                                       "GLOBAL",
                                       "IF",
                                       "IN",
                                       "IS",
                                       "LAMBDA",
                                       "LOCAL",
                                       "NONLOCAL",
                                       "NOT",
                                       "OR",
                                       "PASS",
                                       "RAISE",
                                       "RETURN",
                                       "TRY",
                                       "WHILE",
                                       "WITH",
                                       "YIELD",
                                       "UNEXPECTED_INDENT",
                                       "MISSING_INDENT",
                                       "MISMATCHED_INDENT",
                                       "INCONSISTENT_INDENT",
                                       "COLON",
                                       "NEWLINE",
                                       "LIB",
                                       "INCLUDE",
                                       "STRING",
                                       "IMPORT",
                                       "AS",
                                       "PLUS",
                                       "MINUS",
                                       "DEF",
                                       "RIGHT_PAREN",
                                       "DEDENT",
                                       "COMMA",
                                       "ASTERISK",
                                       "DOUBLE_ASTERISK",
                                       "NONE",
                                       "FALSE",
                                       "TRUE",
                                       "ELLIPSIS",
                                       "INTEGER",
                                       "FLOAT"};
  EXPECT_EQ(kTerminalTokenCount, 58);
  for (int code = -1; code < kTerminalTokenCount; ++code)
    EXPECT_STREQ(TokenTypeName(static_cast<TokenType>(code)), kNames[code + 1])
        << code;
}

TEST(LexerTest, EndOfInput) {
  ExpectTokens({
      {"", {"NEWLINE @1:1", "END @2:1"}},
      {"# only a comment\n", {"NEWLINE @1:17", "NEWLINE @2:1", "END @3:1"}},
      // A missing final newline is supplied: one NEWLINE fewer, same tokens.
      {"x", {"NAME 'x' @1:1", "NEWLINE @1:2", "END @2:1"}},
      {"x\n", {"NAME 'x' @1:1", "NEWLINE @1:2", "NEWLINE @2:1", "END @3:1"}},
      {"x = 1 # note\n",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "INTEGER '1' =1 @1:5", "NEWLINE @1:13",
        "NEWLINE @2:1", "END @3:1"}},
  });
}

TEST(LexerTest, EndRepeatsAsNewTokens) {
  Lexer lexer("x", "dir/app.kivs");
  std::unique_ptr<Token> name(lexer.NextToken());
  EXPECT_EQ("dir/app.kivs", name->location.fileName.str());
  std::unique_ptr<Token> newline(lexer.NextToken());
  std::unique_ptr<Token> end(lexer.NextToken());
  ASSERT_EQ(TokenType::END, end->type);
  for (int i = 0; i < 3; ++i) {
    std::unique_ptr<Token> again(lexer.NextToken());
    ASSERT_NE(end.get(), again.get());
    EXPECT_EQ(Describe(*end), Describe(*again));
    EXPECT_EQ("dir/app.kivs", again->location.fileName.str());
  }
}

TEST(LexerTest, Indentation) {
  ExpectTokens({
      // Two blocks closed at once: both DEDENTs at the first character of the
      // line that closes them, then that line's tokens.
      {"class A:\n  class B:\n    x = 1\ny = 2\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "CLASS 'class' @2:3", "NAME 'B' @2:9", "COLON @2:10", "NAME 'x' @3:5",
        "ASSIGN @3:7", "INTEGER '1' =1 @3:9", "NEWLINE @3:10", "DEDENT @4:1",
        "DEDENT @4:1", "NAME 'y' @4:1", "ASSIGN @4:3", "INTEGER '2' =2 @4:5",
        "NEWLINE @4:6", "NEWLINE @5:1", "END @6:1"}},
      // Blocks still open at the end of input are closed before END.
      {"class A:\n\tclass B:\n\t x",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "CLASS 'class' @2:2", "NAME 'B' @2:8", "COLON @2:9", "NAME 'x' @3:3",
        "NEWLINE @3:4", "DEDENT @4:1", "DEDENT @4:1", "END @4:1"}},
      // Blank and comment-only lines are never checked, at any indentation.
      {"class A:\n  x\n\n# c\n      # deeper\n  y\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8", "NAME 'x' @2:3",
        "NEWLINE @2:4", "NEWLINE @3:1", "NEWLINE @4:4", "NEWLINE @5:15",
        "NAME 'y' @6:3", "NEWLINE @6:4", "NEWLINE @7:1", "DEDENT @8:1",
        "END @8:1"}},
      {"  x\n",
       {"UNEXPECTED_INDENT @1:3", "NAME 'x' @1:3", "NEWLINE @1:4",
        "NEWLINE @2:1", "MISMATCHED_INDENT @3:1", "END @3:1"}},
      {"class A:\nx\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "MISSING_INDENT @2:1", "NAME 'x' @2:1", "NEWLINE @2:2", "NEWLINE @3:1",
        "END @4:1"}},
      {"class A:",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "MISSING_INDENT @2:1", "END @2:1"}},
      // 4 then 8, back to 6: the first pop overshoots.
      {"class A:\n    class B:\n        x\n      y\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "CLASS 'class' @2:5", "NAME 'B' @2:11", "COLON @2:12", "NAME 'x' @3:9",
        "NEWLINE @3:10", "MISMATCHED_INDENT @4:7", "NAME 'y' @4:7",
        "NEWLINE @4:8", "NEWLINE @5:1", "MISMATCHED_INDENT @6:1", "END @6:1"}},
      // A tab where four spaces opened the block.
      {"class A:\n    x\n\ty\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8", "NAME 'x' @2:5",
        "NEWLINE @2:6", "INCONSISTENT_INDENT @3:2", "NAME 'y' @3:2",
        "NEWLINE @3:3", "NEWLINE @4:1", "MISMATCHED_INDENT @5:1", "END @5:1"}},
      // Tabs and spaces mix freely while each line extends the previous one.
      {"class A:\n \tclass B:\n \t  x\n \ty\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "CLASS 'class' @2:3", "NAME 'B' @2:9", "COLON @2:10", "NAME 'x' @3:5",
        "NEWLINE @3:6", "DEDENT @4:3", "NAME 'y' @4:3", "NEWLINE @4:4",
        "NEWLINE @5:1", "DEDENT @6:1", "END @6:1"}},
  });
}

TEST(LexerTest, BlockColon) {
  ExpectTokens({
      {"class A: # note\n  x\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8", "NAME 'x' @2:3",
        "NEWLINE @2:4", "NEWLINE @3:1", "DEDENT @4:1", "END @4:1"}},
      // Text behind a block colon is reported where it stands, not lost.
      {"class A: x\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "BAD 'x' @1:10",
        "NAME 'x' @1:10", "NEWLINE @1:11", "NEWLINE @2:1", "END @3:1"}},
      {"class A:\t:\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "BAD ':' @1:10", "COLON @1:10",
        "NEWLINE @2:1", "MISSING_INDENT @3:1", "END @3:1"}},
  });
}

TEST(LexerTest, Continuation) {
  ExpectTokens({
      // A token right behind the joined line end carries the backslash's
      // location; the continued line's leading blanks are no indentation.
      {"x = \\\n1\n",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "INTEGER '1' =1 @1:5", "NEWLINE @2:2",
        "NEWLINE @3:1", "END @4:1"}},
      {"x = \\\n      1\n",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "INTEGER '1' =1 @2:7", "NEWLINE @2:8",
        "NEWLINE @3:1", "END @4:1"}},
      {"x = \\  # why\n1\n",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "INTEGER '1' =1 @1:5", "NEWLINE @2:2",
        "NEWLINE @3:1", "END @4:1"}},
      {"x = \\ \n1\n",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "BAD '\\ ' @1:5", "INTEGER '1' =1 @2:1",
        "NEWLINE @2:2", "NEWLINE @3:1", "END @4:1"}},
      {"x \\a\n",
       {"NAME 'x' @1:1", "BAD '\\a' @1:3", "NEWLINE @1:5", "NEWLINE @2:1",
        "END @3:1"}},
      {"x \\\t a\n",
       {"NAME 'x' @1:1", "BAD '\\\\x09 ' @1:3", "NAME 'a' @1:6", "NEWLINE @1:7",
        "NEWLINE @2:1", "END @3:1"}},
      // A backslash ending the input ends its statement like a line end.
      {"x = 1 \\",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "INTEGER '1' =1 @1:5", "NEWLINE @1:7",
        "END @2:1"}},
      {"x = 1 \\  ",
       {"NAME 'x' @1:1", "ASSIGN @1:3", "INTEGER '1' =1 @1:5",
        "BAD '\\  ' @1:7", "NEWLINE @1:10", "END @2:1"}},
      // A line starting with a continuation is checked as unindented.
      {"class A:\n    \\\nx\n",
       {"CLASS 'class' @1:1", "NAME 'A' @1:7", "COLON @1:8",
        "MISSING_INDENT @2:5", "NAME 'x' @3:1", "NEWLINE @3:2", "NEWLINE @4:1",
        "END @5:1"}},
  });
}

// After a continued line, the statement that follows is still checked and
// closes the block; so does the end of input.
TEST(LexerTest, LineAfterContinuationClosesBlock) {
  const std::vector<std::string> y = {
      "DEDENT @4:1",  "NAME 'y' @4:1", "ASSIGN @4:3", "INTEGER '2' =2 @4:5",
      "NEWLINE @4:6", "NEWLINE @5:1",  "END @6:1"};
  auto with = [](std::vector<std::string> head,
                 const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const std::vector<std::string> block = {"CLASS 'class' @1:1", "NAME 'C' @1:7",
                                          "COLON @1:8", "NAME 'x' @2:5",
                                          "ASSIGN @2:7"};
  ExpectTokens({
      {"class C:\n    x = \\\n1\ny = 2\n",
       with(with(block, {"INTEGER '1' =1 @2:9", "NEWLINE @3:2"}), y)},
      {"class C:\n    x = 1 \\\n\ny = 2\n",
       with(with(block, {"INTEGER '1' =1 @2:9", "NEWLINE @2:11"}), y)},
      {"class C:\n    x = 1 \\\n# note\ny = 2\n",
       with(with(block, {"INTEGER '1' =1 @2:9", "NEWLINE @3:7"}), y)},
      {"class C:\n    x = 1 \\\n",
       with(block, {"INTEGER '1' =1 @2:9", "NEWLINE @2:11", "DEDENT @4:1",
                    "END @4:1"})},
  });
}

TEST(LexerTest, DecimalIntegers) {
  ExpectLine({
      {"0", {"INTEGER '0' =0 @1:1"}},
      {"0017", {"INTEGER '0017' =17 @1:1"}},
      {"1_000", {"INTEGER '1_000' =1000 @1:1"}},
      {"2147483647", {"INTEGER '2147483647' =2147483647 @1:1"}},
      {"2147483648", {"INTEGER '2147483648' =-2147483648 neg @1:1"}},
      {"+2147483648", {"INTEGER '2147483648' =-2147483648 neg @1:1"}},
      {"-2147483648", {"INTEGER '2147483648' =-2147483648 @1:1"}},
      {"2147483649", {"BAD '2147483649' (Decimal constant out of range) @1:1"}},
      {"18446744073709551617",
       {"BAD '18446744073709551617' (Decimal constant out of range) @1:1"}},
      {"-5", {"INTEGER '5' =-5 @1:1"}},
      {"+5", {"INTEGER '5' =5 @1:1"}},
      {"- 5", {"MINUS @1:1", "INTEGER '5' =5 @1:3"}},
      {"+ -", {"PLUS @1:1", "MINUS @1:3"}},
      {"x=-7", {"NAME 'x' @1:1", "ASSIGN @1:2", "INTEGER '7' =-7 @1:3"}},
  });
}

TEST(LexerTest, BinaryAndHexadecimalIntegers) {
  ExpectLine({
      {"0b101", {"INTEGER '0b101' =5 @1:1"}},
      {"0B1_1", {"INTEGER '0B1_1' =3 @1:1"}},
      {"0b" + std::string(32, '1'),
       {"INTEGER '0b" + std::string(32, '1') + "' =-1 @1:1"}},
      {"0b1" + std::string(32, '0'),
       {"BAD '0b1" + std::string(32, '0') +
        "' (Binary constant out of range) @1:1"}},
      {"0x1F", {"INTEGER '0x1F' =31 @1:1"}},
      {"0XfF_ff", {"INTEGER '0XfF_ff' =65535 @1:1"}},
      {"0xFFFFFFFF", {"INTEGER '0xFFFFFFFF' =-1 @1:1"}},
      {"-0xFFFFFFFF", {"INTEGER '0xFFFFFFFF' =1 @1:1"}},
      {"-0x80000000", {"INTEGER '0x80000000' =-2147483648 @1:1"}},
      {"0x000000000FFFFFFFF", {"INTEGER '0x000000000FFFFFFFF' =-1 @1:1"}},
      {"0x1_0000_0000",
       {"BAD '0x1_0000_0000' (Hexadecimal constant out of range) @1:1"}},
      {"-0x1_0000_0000",
       {"BAD '0x1_0000_0000' (Hexadecimal constant out of range) @1:1"}},
  });
}

TEST(LexerTest, Reals) {
  ExpectLine({
      {"1.5", {"FLOAT '1.5' =1.5 @1:1"}},
      {".5", {"FLOAT '.5' =0.5 @1:1"}},
      {"0.25", {"FLOAT '0.25' =0.25 @1:1"}},
      {"1.", {"FLOAT '1.' =1 @1:1"}},
      {"-.5", {"FLOAT '.5' =-0.5 @1:1"}},
      {"+1.5", {"FLOAT '1.5' =1.5 @1:1"}},
      {"1e3", {"FLOAT '1e3' =1000 @1:1"}},
      {"0e0", {"FLOAT '0e0' =0 @1:1"}},
      {"1.5E-3", {"FLOAT '1.5E-3' =0.0015 @1:1"}},
      {"2.e+2", {"FLOAT '2.e+2' =200 @1:1"}},
      {"1_0.2_5e1_0", {"FLOAT '1_0.2_5e1_0' =1.025e+11 @1:1"}},
      {"1e999", {"FLOAT '1e999' =inf @1:1"}},
      {"-1e999", {"FLOAT '1e999' =-inf @1:1"}},
      {"...", {"ELLIPSIS @1:1"}},
      // A number stops before two full stops, so an ellipsis can follow it.
      {"1...", {"INTEGER '1' =1 @1:1", "ELLIPSIS @1:2"}},
      {"0x1...", {"INTEGER '0x1' =1 @1:1", "ELLIPSIS @1:4"}},
      {"1.5...", {"FLOAT '1.5' =1.5 @1:1", "ELLIPSIS @1:4"}},
  });
}

// A malformed numeral ends at the rejected character, which is part of the
// bad token's text but left for the next token.
TEST(LexerTest, MalformedNumbers) {
  ExpectLine({
      {"12abc", {"BAD '12a' @1:1", "NAME 'abc' @1:3"}},
      {"1__0", {"BAD '1__' @1:1", "NAME '_0' @1:3"}},
      {"1_", {"BAD '1_' @1:1"}},
      {"0b102", {"BAD '0b102' @1:1", "INTEGER '2' =2 @1:5"}},
      {"0b", {"BAD '0b' @1:1"}},
      {"0b_1", {"BAD '0b_' @1:1", "NAME '_1' @1:3"}},
      {"0xg", {"BAD '0xg' @1:1", "NAME 'g' @1:3"}},
      {"0x1.5", {"BAD '0x1.' @1:1", "FLOAT '.5' =0.5 @1:4"}},
      {"07a", {"BAD '07a' @1:1", "NAME 'a' @1:3"}},
      {"0a", {"BAD '0a' @1:1", "NAME 'a' @1:2"}},
      {".", {"BAD '.' @1:1"}},
      {"..", {"BAD '..' @1:1", "BAD '.' @1:2"}},
      {"-.", {"MINUS @1:1", "BAD '.' @1:2"}},
      {"1._5", {"BAD '1._' @1:1", "NAME '_5' @1:3"}},
      {"1.x", {"BAD '1.x' @1:1", "NAME 'x' @1:3"}},
      {"1.5_", {"BAD '1.5_' @1:1"}},
      {"1e", {"BAD '1e' @1:1"}},
      {"1e+", {"BAD '1e+' @1:1"}},
      {"1e+x", {"BAD '1e+x' @1:1", "NAME 'x' @1:4"}},
      {"1e5_", {"BAD '1e5_' @1:1"}},
      {"1e5.", {"BAD '1e5.' @1:1", "BAD '.' @1:4"}},
      // A minus sign is not folded into a bad numeral.
      {"-12abc", {"BAD '12a' @1:1", "NAME 'abc' @1:4"}},
  });
}

TEST(LexerTest, Strings) {
  ExpectLine({
      {"'a\\tb'", {"STRING 'a\\x09b' @1:1"}},
      {"\"it's\"", {"STRING 'it's' @1:1"}},
      {"''", {"STRING @1:1"}},
      {"'\\65\\066\\x41\\x6a'", {"STRING 'ABAj' @1:1"}},
      {"'\\1234'", {"STRING '{4' @1:1"}},
      {"'\\0b'", {"STRING '\\x00b' @1:1"}},
      {std::string("'a\0b'", 5), {"STRING 'a\\x00b' @1:1"}},
      {"'\xc3\xa9'", {"STRING '\\xc3\\xa9' @1:1"}},
      {"'\\n\\\"\\'\\\\\\a\\b\\f\\r\\t\\v'",
       {"STRING '\\x0a\"'\\\\x07\\x08\\x0c\\x0d\\x09\\x0b' @1:1"}},
      {"x('a', \"b\")",
       {"NAME 'x' @1:1", "LEFT_PAREN @1:2", "STRING 'a' @1:3", "COMMA @1:6",
        "STRING 'b' @1:8", "RIGHT_PAREN @1:11"}},
  });
  // A backslash-newline escape puts the newline into the value.
  ExpectTokens(
      {{"'a\\\nb'", {"STRING 'a\\x0ab' @1:1", "NEWLINE @2:3", "END @3:1"}}});
}

// An error keeps the rest of the line for the next tokens.
TEST(LexerTest, StringErrors) {
  ExpectTokens({
      {"'abc", {"BAD 'abc' @1:1", "END @2:1"}},
      {"'abc\nx",
       {"BAD 'abc' @1:1", "NAME 'x' @2:1", "NEWLINE @2:2", "END @3:1"}},
      {"\"a'", {"BAD 'a'' @1:1", "END @2:1"}},
      {"'\\256'", {"BAD '256' @1:1", "BAD @1:6", "END @2:1"}},
      {"'\\x4g'", {"BAD '4g' @1:1", "BAD @1:6", "END @2:1"}},
      {"'\\xg1' x",
       {"BAD 'g' @1:1", "INTEGER '1' =1 @1:5", "BAD ' x' @1:6", "END @2:1"}},
      {"'ab\\q'", {"BAD 'abq' @1:1", "BAD @1:6", "END @2:1"}},
      {"'ab\\", {"BAD 'ab\\x0a' @1:1", "END @2:1"}},
  });
}

TEST(LexerTest, NamesKeywordsAndOperators) {
  ExpectLine({
      {"True true False None",
       {"TRUE 'True' @1:1", "NAME 'true' @1:6", "FALSE 'False' @1:11",
        "NONE 'None' @1:17"}},
      {"lib include def class",
       {"LIB 'lib' @1:1", "INCLUDE 'include' @1:5", "DEF 'def' @1:13",
        "CLASS 'class' @1:17"}},
      {"import as del while yield",
       {"IMPORT 'import' @1:1", "AS 'as' @1:8", "DEL 'del' @1:11",
        "WHILE 'while' @1:15", "YIELD 'yield' @1:21"}},
      {"_x1 While libs _",
       {"NAME '_x1' @1:1", "NAME 'While' @1:5", "NAME 'libs' @1:11",
        "NAME '_' @1:16"}},
      {"(),=* ** ***",
       {"LEFT_PAREN @1:1", "RIGHT_PAREN @1:2", "COMMA @1:3", "ASSIGN @1:4",
        "ASTERISK @1:5", "DOUBLE_ASTERISK @1:7", "DOUBLE_ASTERISK @1:10",
        "ASTERISK @1:12"}},
      {"x\v\f\r= $", {"NAME 'x' @1:1", "ASSIGN @1:5", "BAD '$' @1:7"}},
      {"\xc3x", {"BAD '\\xc3' @1:1", "NAME 'x' @1:2"}},
  });
}

// Each keyword of the token list, as the lexer reads it: its own token with
// its spelling as text, while one more character or another case makes it a
// name. The list holds the 37 keywords, two of them entered by the first
// lexer.
TEST(KeywordTableTest, EveryKeywordOfTheTokenListIsLexedAsItself) {
  std::vector<std::string> late;
  for (const Keyword& keyword : kKeywords) {
    const std::string spelling = keyword.spelling;
    SCOPED_TRACE(spelling);
    const std::string name = TokenTypeName(keyword.type);
    std::string otherCase = spelling;
    otherCase[0] ^= 0x20;  // every keyword starts with a letter
    ExpectLine({
        {spelling, {name + " '" + spelling + "' @1:1"}},
        {spelling + "_ " + otherCase,
         {"NAME '" + spelling + "_' @1:1",
          "NAME '" + otherCase +
              "' @1:" + std::to_string(spelling.size() + 3)}},
    });
    if (keyword.entered == KeywordEntry::kByFirstLexer)
      late.push_back(spelling);
  }
  EXPECT_EQ(std::size(kKeywords), 37u);
  EXPECT_EQ(late, (std::vector<std::string>{"lib", "include"}));
}

TEST(KeywordTableTest, LookupIsExactAndCaseSensitive) {
  Lexer enterSourceKeywords("", "app.kivs");
  EXPECT_EQ(TokenType::WHILE, KeywordTable::Lookup("while"));
  EXPECT_EQ(TokenType::NONLOCAL, KeywordTable::Lookup("nonlocal"));
  EXPECT_EQ(TokenType::LIB, KeywordTable::Lookup("lib"));
  EXPECT_EQ(TokenType::INCLUDE, KeywordTable::Lookup("include"));
  EXPECT_EQ(TokenType::NAME, KeywordTable::Lookup("none"));
  EXPECT_EQ(TokenType::NAME, KeywordTable::Lookup("whil"));
  EXPECT_EQ(TokenType::NAME, KeywordTable::Lookup("whiles"));
  EXPECT_EQ(TokenType::NAME, KeywordTable::Lookup(""));
}

}  // namespace
}  // namespace kivg

// Line and column count in 64 bits: a line longer than 2^31 or 2^32
// characters neither overflows nor wraps. The lexer starts counting near
// the limits instead of reading a file that long.
TEST(LexerCounters, CountPastThirtyTwoBits) {
  const struct {
    int64_t line, column;
    std::string source;
    std::string location;  // of the bad token
  } cases[] = {
      {1, 2147483646, "ab $", "x.kivs:1:2147483649"},
      {1, 4294967294, "ab $", "x.kivs:1:4294967297"},
      {4294967295, 1, "a\n$", "x.kivs:4294967296:1"},
      {int64_t{1} << 40, 1, "$", "x.kivs:1099511627776:1"},
  };
  for (const auto& c : cases) {
    kivg::Lexer lexer(c.source, "x.kivs");
    lexer.SetInputPosition(c.line, c.column);
    std::string location;
    for (int i = 0; i < 10 && location.empty(); ++i) {
      std::unique_ptr<kivg::Token> token(lexer.NextToken());
      if (token->type == kivg::TokenType::BAD)
        location = kivg::FormatLocation(token->location);
      if (token->type == kivg::TokenType::END) break;
    }
    EXPECT_EQ(location, c.location);
  }
}
