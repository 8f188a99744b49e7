#include "generator/frontend/lexer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "generator/frontend/keyword_table.h"

namespace kivg {

namespace {

// Character classes are plain ASCII tests: bytes 128-255 are neither letters,
// digits nor whitespace, whatever the locale, and -1 (end of input) is in no
// class.
bool IsWhitespace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}
bool IsBlank(int c) { return c != '\n' && IsWhitespace(c); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsLetter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsHexDigit(int c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsNameCharacter(int c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

int HexValue(int c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

// States of the number scanner. kStop and kReject are outcomes of a
// transition, not states the numeral can be in.
enum NumberState : int {
  kStart = 0,
  kLeadingZero = 1,
  kDecimalDigits = 2,
  kDecimalUnderscore = 3,
  kBinaryPrefix = 4,
  kBinaryDigits = 5,
  kBinaryUnderscore = 6,
  kHexPrefix = 7,
  kHexDigits = 8,
  kHexUnderscore = 9,
  kLeadingPoint = 10,
  kPointAfterDigits = 11,
  kFractionDigits = 12,
  kFractionUnderscore = 13,
  kExponentMark = 14,
  kExponentSign = 15,
  kExponentDigits = 16,
  kExponentUnderscore = 17,
  kRejected = 18,
  kStop = -1,
  kReject = -2,
};

// One transition of the number scanner on character `c`, with `after` the
// character behind it. A full stop followed by another full stop ends the
// numeral (outcome "dots"), so that `1...` reads as a number and an ellipsis.
int NumberTransition(int state, int c, int after) {
  const bool dots = c == '.' && after == '.';
  const bool letter = IsLetter(c);
  switch (state) {
    case kStart:
      if (c == '0') return kLeadingZero;
      if (c == '.') return kLeadingPoint;
      if (IsDigit(c)) return kDecimalDigits;
      return kReject;
    case kLeadingZero:
      if (c == 'x' || c == 'X') return kHexPrefix;
      if (c == 'b' || c == 'B') return kBinaryPrefix;
      if (c == '.') return dots ? kStop : kFractionDigits;
      if (c == 'e' || c == 'E') return kExponentMark;
      if (IsDigit(c)) return kDecimalDigits;
      return letter ? kReject : kStop;
    case kDecimalDigits:
      if (c == '.') return dots ? kStop : kPointAfterDigits;
      if (c == 'e' || c == 'E') return kExponentMark;
      if (letter) return kReject;
      if (c == '_') return kDecimalUnderscore;
      return IsDigit(c) ? kDecimalDigits : kStop;
    case kDecimalUnderscore:
      return IsDigit(c) ? kDecimalDigits : kReject;
    case kBinaryPrefix:
      return c == '0' || c == '1' ? kBinaryDigits : kReject;
    case kBinaryDigits:
      if (c == '0' || c == '1') return kBinaryDigits;
      if (letter || IsDigit(c)) return kReject;
      if (c == '_') return kBinaryUnderscore;
      if (c == '.') return dots ? kStop : kReject;
      return kStop;
    case kBinaryUnderscore:
      return c == '0' || c == '1' ? kBinaryDigits : kReject;
    case kHexPrefix:
      return IsHexDigit(c) ? kHexDigits : kReject;
    case kHexDigits:
      if (IsHexDigit(c)) return kHexDigits;
      if (letter) return kReject;
      if (c == '_') return kHexUnderscore;
      if (c == '.') return dots ? kStop : kReject;
      return kStop;
    case kHexUnderscore:
      return IsHexDigit(c) ? kHexDigits : kReject;
    case kLeadingPoint:
      return IsDigit(c) ? kFractionDigits : kReject;
    case kPointAfterDigits:
      if (c == 'e' || c == 'E') return kExponentMark;
      if (letter || c == '_') return kReject;
      if (c == '.') return dots ? kStop : kReject;
      return IsDigit(c) ? kFractionDigits : kStop;
    case kFractionDigits:
      if (c == 'e' || c == 'E') return kExponentMark;
      if (letter) return kReject;
      if (c == '_') return kFractionUnderscore;
      if (c == '.') return dots ? kStop : kReject;
      return IsDigit(c) ? kFractionDigits : kStop;
    case kFractionUnderscore:
      return IsDigit(c) ? kFractionDigits : kReject;
    case kExponentMark:
      if (c == '+' || c == '-') return kExponentSign;
      return IsDigit(c) ? kExponentDigits : kReject;
    case kExponentSign:
      return IsDigit(c) ? kExponentDigits : kReject;
    case kExponentDigits:
      if (letter) return kReject;
      if (c == '_') return kExponentUnderscore;
      if (c == '.') return dots ? kStop : kReject;
      return IsDigit(c) ? kExponentDigits : kStop;
    case kExponentUnderscore:
      return IsDigit(c) ? kExponentDigits : kReject;
    default:
      return kReject;
  }
}

// Reads the digits of `digits` in `base`, skipping digit-group underscores.
// Returns false when the value exceeds `limit`; accumulation stops there, so
// it never overflows however long the numeral is.
bool ReadUnsigned(const std::string& digits, size_t from, uint64_t base,
                  uint64_t limit, uint32_t* value) {
  uint64_t total = 0;
  for (size_t i = from; i < digits.size(); ++i) {
    if (digits[i] == '_') continue;
    total = total * base + static_cast<uint64_t>(HexValue(digits[i]));
    if (total > limit) return false;
  }
  *value = static_cast<uint32_t>(total);
  return true;
}

// The 32-bit two's complement pattern of `value` read as signed.
int32_t AsSigned(uint32_t value) { return static_cast<int32_t>(value); }

// Folds a minus sign into a number token. A decimal 2147483648 becomes
// -2147483648, the one value whose magnitude needs the sign.
void Negate(Token& number) {
  if (number.type == TokenType::INTEGER) {
    number.integerValue =
        number.needsNegation
            ? INT32_MIN
            : AsSigned(0u - static_cast<uint32_t>(number.integerValue));
    number.needsNegation = false;
  } else if (number.type == TokenType::FLOAT) {
    number.realValue = -number.realValue;
  }
}

constexpr uint64_t kDecimalLimit = 2147483648u;
constexpr uint64_t kUnsigned32Limit = 0xFFFFFFFFu;

}  // namespace

Lexer::Lexer(std::string contents, std::string sourceName)
    : contents_(std::move(contents)),
      tokenLocation_(std::move(sourceName), 0, 0) {
  KeywordTable::EnterLateKeywords();
  tokenQueue_.reserve(8);
}

Token* Lexer::NextToken() {
  if (queueHead_ == tokenQueue_.size()) {
    tokenQueue_.clear();
    queueHead_ = 0;
    FillQueue();
  }
  return tokenQueue_[queueHead_++].release();
}

int Lexer::Peek(size_t n) const {
  const size_t index = position_ + n;
  if (index < contents_.size())
    return static_cast<unsigned char>(contents_[index]);
  return index == contents_.size() ? '\n' : -1;
}

int Lexer::Get() {
  const int c = Peek(0);
  if (c == -1) return c;
  ++position_;
  if (atLineStart_ && IsBlank(c)) {
    currentIndent_ += static_cast<char>(c);
    ++inputColumn_;
  } else if (c == '\n') {
    ++inputLine_;
    inputColumn_ = 1;
    currentIndent_.clear();
  } else {
    ++inputColumn_;
  }
  return c;
}

void Lexer::FillQueue() {
  while (tokenQueue_.empty()) ScanStep();
}

void Lexer::ScanStep() {
  tokenLocation_.line = inputLine_;
  tokenLocation_.column = inputColumn_;

  const int first = Peek(0);
  if (first == '\\') {
    if (std::unique_ptr<Token> bad = ScanContinuation())
      Queue(std::move(bad));
    else
      afterContinuation_ = true;
  } else {
    if (first == '\n' && !afterContinuation_) atLineStart_ = true;
    afterContinuation_ = false;
  }
  // The first character decides, even when a continuation has consumed it:
  // a line starting with a continuation is checked with the indentation its
  // newline has cleared. End of input (-1) is checked too, which closes the
  // blocks still open.
  if (atLineStart_ && !IsWhitespace(first) && first != '#') CheckIndentation();
  if (!tokenQueue_.empty()) return;

  const int c = Peek(0);
  switch (c) {
    case -1:
      Queue(TokenType::END);
      return;
    case '\\':
      if (std::unique_ptr<Token> bad = ScanContinuation())
        Queue(std::move(bad));
      return;
    case '#':
      ScanComment();
      return;
    case '\n':
      Get();
      Queue(TokenType::NEWLINE);
      // Every NEWLINE ends a logical line, so the next line is always
      // checked, also after a continuation: otherwise a statement following
      // a continued line could silently stay inside a block it should close.
      atLineStart_ = true;
      return;
    case '"':
    case '\'':
      ScanString();
      return;
    case '.':
      if (Peek(1) == '.' && Peek(2) == '.') {
        Get();
        Get();
        Get();
        Queue(TokenType::ELLIPSIS);
      } else {
        Queue(ScanNumber());
      }
      return;
    case ':':
      ScanBlockColon();
      return;
    case '+':
    case '-':
      ScanSignedNumber();
      return;
    case '(':
      Get();
      Queue(TokenType::LEFT_PAREN);
      return;
    case ')':
      Get();
      Queue(TokenType::RIGHT_PAREN);
      return;
    case ',':
      Get();
      Queue(TokenType::COMMA);
      return;
    case '=':
      Get();
      Queue(TokenType::ASSIGN);
      return;
    case '*':
      Get();
      if (Peek(0) == '*') {
        Get();
        Queue(TokenType::DOUBLE_ASTERISK);
      } else {
        Queue(TokenType::ASTERISK);
      }
      return;
    default:
      break;
  }
  if (IsDigit(c)) {
    Queue(ScanNumber());
  } else if (IsLetter(c) || c == '_') {
    ScanName();
  } else {
    Get();
    if (!IsWhitespace(c))
      Queue(TokenType::BAD, std::string(1, static_cast<char>(c)));
  }
}

void Lexer::CheckIndentation() {
  atLineStart_ = false;
  const std::string& previous = previousIndent_;
  const std::string& current = currentIndent_;
  const size_t common = std::min(previous.size(), current.size());

  if (previous.compare(0, common, current, 0, common) != 0) {
    Queue(TokenType::INCONSISTENT_INDENT);
  } else if (expectIndent_) {
    expectIndent_ = false;
    if (current.size() > previous.size())
      indentStack_.push_back(current.size() - previous.size());
    else
      Queue(TokenType::MISSING_INDENT);
  } else if (current.size() < previous.size()) {
    // Signed: after an indentation error the open blocks can add up to more
    // than the previous line's indentation, and the width must then fall
    // below the target rather than wrap around.
    const int64_t target = static_cast<int64_t>(current.size());
    int64_t width = static_cast<int64_t>(previous.size());
    size_t closed = 0;
    for (;;) {
      if (indentStack_.empty()) {
        Queue(TokenType::MISMATCHED_INDENT);
        break;
      }
      width -= static_cast<int64_t>(indentStack_.back());
      indentStack_.pop_back();
      ++closed;
      if (width > target) continue;
      if (width == target) {
        for (size_t i = 0; i < closed; ++i) Queue(TokenType::DEDENT);
      } else {
        Queue(TokenType::MISMATCHED_INDENT);
      }
      break;
    }
  } else if (current.size() > previous.size()) {
    Queue(TokenType::UNEXPECTED_INDENT);
  }
  previousIndent_ = currentIndent_;
}

void Lexer::ScanBlockColon() {
  Get();
  for (;;) {
    const int c = Peek(0);
    if (c == '#')
      ScanComment();
    else if (IsBlank(c))
      Get();
    else
      break;
  }
  const int c = Peek(0);
  if (c != '\n' && c != -1) {
    // A block colon ends its line. Text behind it is reported where it
    // stands and left unconsumed, rather than silently swallowed.
    Queue(std::make_unique<Token>(
        SourceLocation(tokenLocation_.fileName, inputLine_, inputColumn_),
        TokenType::BAD, std::string(1, static_cast<char>(c))));
    return;
  }
  Get();
  atLineStart_ = true;
  expectIndent_ = true;
  Queue(TokenType::COLON);
}

std::unique_ptr<Token> Lexer::ScanContinuation() {
  Get();
  std::string text = "\\";
  bool blanksSeen = false;
  for (;;) {
    const int c = Peek(0);
    if (c == '#') {
      ScanComment();
      blanksSeen = false;
    } else if (IsBlank(c)) {
      Get();
      text += static_cast<char>(c);
      blanksSeen = true;
    } else {
      break;
    }
  }
  const int c = Peek(0);
  if (c == '\n' || c == -1) {
    // The synthetic newline at the end of input is left for the dispatch, so
    // a trailing backslash still ends its statement with a NEWLINE instead of
    // joining the statement to nothing.
    if (!AtSyntheticNewline()) Get();
    return blanksSeen ? MakeToken(TokenType::BAD, std::move(text)) : nullptr;
  }
  if (blanksSeen) return MakeToken(TokenType::BAD, std::move(text));
  // A backslash directly before other text is no continuation; the character
  // is reported with it rather than dropped.
  Get();
  text += static_cast<char>(c);
  return MakeToken(TokenType::BAD, std::move(text));
}

void Lexer::ScanComment() {
  for (int c = Peek(0); c != '\n' && c != -1; c = Peek(0)) Get();
}

void Lexer::ScanName() {
  const size_t start = position_;
  while (IsNameCharacter(Peek(0))) Get();
  std::string_view name(contents_.data() + start, position_ - start);
  Queue(KeywordTable::Lookup(name), std::string(name));
}

std::unique_ptr<Token> Lexer::ScanNumber() {
  numeral_.clear();
  int state = kStart;
  for (;;) {
    const int c = Peek(0);
    const int next = NumberTransition(state, c, Peek(1));
    if (next == kStop) break;
    if (next == kReject) {
      // The rejected character belongs to the bad numeral's text but stays
      // unconsumed: `12abc` is the bad numeral `12a`, then the name `abc`.
      if (c != '\n' && c != -1) numeral_ += static_cast<char>(c);
      state = kRejected;
      break;
    }
    Get();
    numeral_ += static_cast<char>(c);
    state = next;
  }
  return MakeNumber(state);
}

std::unique_ptr<Token> Lexer::MakeNumber(int finalState) {
  uint32_t value = 0;
  switch (finalState) {
    case kLeadingZero:
    case kDecimalDigits:
      // A leading zero does not mean octal. 2147483648 is accepted only as
      // the magnitude of -2147483648; its pattern is INT32_MIN already.
      if (!ReadUnsigned(numeral_, 0, 10, kDecimalLimit, &value))
        return MakeToken(TokenType::BAD, numeral_,
                         "Decimal constant out of range");
      return std::unique_ptr<Token>(Token::MakeInteger(
          tokenLocation_, AsSigned(value), value == kDecimalLimit, numeral_));
    case kBinaryDigits:
      if (!ReadUnsigned(numeral_, 2, 2, kUnsigned32Limit, &value))
        return MakeToken(TokenType::BAD, numeral_,
                         "Binary constant out of range");
      return std::unique_ptr<Token>(
          Token::MakeInteger(tokenLocation_, AsSigned(value), false, numeral_));
    case kHexDigits:
      if (!ReadUnsigned(numeral_, 2, 16, kUnsigned32Limit, &value))
        return MakeToken(TokenType::BAD, numeral_,
                         "Hexadecimal constant out of range");
      return std::unique_ptr<Token>(
          Token::MakeInteger(tokenLocation_, AsSigned(value), false, numeral_));
    case kPointAfterDigits:
    case kFractionDigits:
    case kExponentDigits: {
      std::string digits;
      digits.reserve(numeral_.size());
      for (char ch : numeral_)
        if (ch != '_') digits += ch;
      // Out-of-range reals are not errors: overflow gives infinity.
      const double real = std::strtod(digits.c_str(), nullptr);
      return std::unique_ptr<Token>(
          Token::MakeReal(tokenLocation_, real, numeral_));
    }
    default:
      return MakeToken(TokenType::BAD, numeral_);
  }
}

void Lexer::ScanSignedNumber() {
  const int sign = Peek(0);
  const bool numberFollows =
      IsDigit(Peek(1)) || (Peek(1) == '.' && IsDigit(Peek(2)));
  Get();
  if (!numberFollows) {
    Queue(sign == '-' ? TokenType::MINUS : TokenType::PLUS);
    return;
  }
  std::unique_ptr<Token> number = ScanNumber();
  if (sign == '-') Negate(*number);
  Queue(std::move(number));
}

void Lexer::ScanString() {
  const int delimiter = Get();
  std::string value;
  std::string escape;  // digits of a numeric escape being read
  auto fail = [&] {
    Queue(TokenType::BAD,
          escape.empty() ? std::move(value) : std::move(escape));
  };
  for (;;) {
    const int c = Get();
    if (c == -1 || c == '\n') return fail();
    if (c == delimiter) {
      Queue(std::unique_ptr<Token>(
          Token::MakeString(tokenLocation_, std::move(value))));
      return;
    }
    if (c != '\\') {
      value += static_cast<char>(c);
      continue;
    }
    const int selector = Peek(0);
    if (selector == -1) return fail();
    if (IsDigit(selector)) {
      // Decimal: one to three digits, a byte value.
      do {
        escape += static_cast<char>(Get());
      } while (escape.size() < 3 && IsDigit(Peek(0)));
      uint32_t code = 0;
      if (!ReadUnsigned(escape, 0, 10, 255, &code)) return fail();
      value += static_cast<char>(code);
      escape.clear();
    } else if (selector == 'x') {
      Get();
      for (int i = 0; i < 2; ++i) {
        const int digit = Get();
        if (digit != -1) escape += static_cast<char>(digit);
        if (!IsHexDigit(digit)) return fail();
      }
      value +=
          static_cast<char>(HexValue(escape[0]) * 16 + HexValue(escape[1]));
      escape.clear();
    } else {
      const int e = Get();
      switch (e) {
        case 'n':
        case '\n':
          value += '\n';
          break;
        case '"':
          value += '"';
          break;
        case '\'':
          value += '\'';
          break;
        case '\\':
          value += '\\';
          break;
        case 'a':
          value += '\a';
          break;
        case 'b':
          value += '\b';
          break;
        case 'f':
          value += '\f';
          break;
        case 'r':
          value += '\r';
          break;
        case 't':
          value += '\t';
          break;
        case 'v':
          value += '\v';
          break;
        case -1:
          return fail();
        default:
          value += static_cast<char>(e);
          return fail();
      }
    }
  }
}

std::unique_ptr<Token> Lexer::MakeToken(TokenType type, std::string text,
                                        std::string detail) const {
  return std::make_unique<Token>(tokenLocation_, type, std::move(text),
                                 std::move(detail));
}

void Lexer::Queue(TokenType type, std::string text, std::string detail) {
  tokenQueue_.push_back(MakeToken(type, std::move(text), std::move(detail)));
}

void Lexer::Queue(std::unique_ptr<Token> token) {
  tokenQueue_.push_back(std::move(token));
}

}  // namespace kivg
