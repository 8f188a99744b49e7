// Turns the bytes of one spec source into tokens, including the DEDENT tokens
// that close indented blocks. Bad input never stops it: every problem becomes
// an error token for the driver to report. One Lexer lives as long as its
// source file is being read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "generator/frontend/source_element.h"
#include "generator/frontend/token.h"

namespace kivg {

class Lexer {
 public:
  // contents: the whole source file, already read by the driver, so the lexer
  // never touches files; sourceName: the file name of every token location.
  Lexer(std::string contents, std::string sourceName);
  Lexer(const Lexer&) = delete;
  Lexer& operator=(const Lexer&) = delete;

  // The next token; the caller owns it. Once the input is exhausted every call
  // returns a new END token.
  Token* NextToken();

  // The line and column of the next character to be consumed: just past the
  // token last handed out while no other is queued. Lets a reader find how
  // far a token reaches with the lexer itself.
  int64_t inputLine() const { return inputLine_; }
  int64_t inputColumn() const { return inputColumn_; }

  // Counts the next character as being at this line and column. Lets a test
  // reach counts beyond 32 bits without a source that long.
  void SetInputPosition(int64_t line, int64_t column) {
    inputLine_ = line;
    inputColumn_ = column;
  }

 private:
  // Character access. The source reads as its bytes (0-255), then one
  // synthetic newline, then -1 forever; nothing is ever consumed past the
  // synthetic newline.
  int Peek(size_t n) const;
  int Get();
  bool AtSyntheticNewline() const { return position_ == contents_.size(); }

  void FillQueue();
  void ScanStep();
  void CheckIndentation();

  // Scanners, each started on the character that selects it.
  void ScanBlockColon();
  std::unique_ptr<Token> ScanContinuation();
  void ScanComment();
  void ScanName();
  std::unique_ptr<Token> ScanNumber();
  void ScanSignedNumber();
  void ScanString();

  // Builds the INTEGER, FLOAT or BAD token for a numeral that ended in
  // `finalState`; `numeral_` holds its text.
  std::unique_ptr<Token> MakeNumber(int finalState);

  void Queue(TokenType type, std::string text = {}, std::string detail = {});
  void Queue(std::unique_ptr<Token> token);
  std::unique_ptr<Token> MakeToken(TokenType type, std::string text = {},
                                   std::string detail = {}) const;

  std::string contents_;
  size_t position_ = 0;  // index of the next character to be consumed

  // Location given to every token made in the current scan step; its file
  // name is set once, only line and column change.
  SourceLocation tokenLocation_;
  // Location of the next character to be consumed.
  int64_t inputLine_ = 1;
  int64_t inputColumn_ = 1;

  // The current line's leading whitespace is being collected and its
  // indentation has not been checked yet.
  bool atLineStart_ = true;
  // A block colon ended the previous line: the next checked line must be
  // indented deeper.
  bool expectIndent_ = false;
  // The last scan step started with a continuation that yielded no token.
  bool afterContinuation_ = false;
  // One entry per open block: how many whitespace characters it added.
  std::vector<size_t> indentStack_;
  std::string currentIndent_;   // leading whitespace of the current line
  std::string previousIndent_;  // that of the last line checked

  // Tokens made but not handed out yet, oldest at queueHead_. The vector is
  // emptied (keeping its capacity) whenever it has been drained.
  std::vector<std::unique_ptr<Token>> tokenQueue_;
  size_t queueHead_ = 0;

  // Scratch text of the numeral being scanned, kept to reuse its capacity.
  std::string numeral_;
};

}  // namespace kivg
