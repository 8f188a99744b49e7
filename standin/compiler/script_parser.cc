#include "standin/compiler/script_parser.h"

#include <cerrno>
#include <cstdlib>

namespace standin {

namespace {

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Recursive descent over one line; the first error stops it.
class LineParser {
 public:
  explicit LineParser(const std::string& line) : line_(line) {}

  ParsedLine Parse() {
    ParsedLine parsed;
    SkipSpace();
    if (AtEnd()) return parsed;
    Expression statement;
    if (!ParseExpression(&statement)) {
      parsed.error = error_;
      return parsed;
    }
    if (statement.kind != Expression::Kind::Call) {
      parsed.error = ParseError{statement.column, "expected a call"};
      return parsed;
    }
    SkipSpace();
    if (!AtEnd()) {
      parsed.error = ParseError{Column(), "unexpected text after the call"};
      return parsed;
    }
    parsed.call = std::move(statement);
    return parsed;
  }

 private:
  bool AtEnd() const { return at_ >= line_.size() || line_[at_] == '#'; }
  char Peek(size_t ahead = 0) const {
    return at_ + ahead < line_.size() ? line_[at_ + ahead] : '\0';
  }
  uint32_t Column() const { return static_cast<uint32_t>(at_ + 1); }
  void SkipSpace() {
    while (at_ < line_.size() &&
           (line_[at_] == ' ' || line_[at_] == '\t' || line_[at_] == '\r'))
      ++at_;
  }
  bool Fail(uint32_t column, const std::string& message) {
    error_ = ParseError{column, message};
    return false;
  }
  bool FailHere(const std::string& what) {
    if (AtEnd()) return Fail(Column(), what + " at the end of the line");
    return Fail(Column(), what + " before '" + std::string(1, Peek()) + "'");
  }

  std::string Name() {
    size_t start = at_;
    while (at_ < line_.size() && IsNameChar(line_[at_])) ++at_;
    return line_.substr(start, at_ - start);
  }

  bool ParseExpression(Expression* out) {
    SkipSpace();
    out->column = Column();
    char c = Peek();
    if (c == '.' && Peek(1) == '.' && Peek(2) == '.') {
      at_ += 3;
      out->kind = Expression::Kind::Ellipsis;
      return true;
    }
    if (IsDigit(c) ||
        ((c == '-' || c == '+' || c == '.') &&
         (IsDigit(Peek(1)) || (Peek(1) == '.' && IsDigit(Peek(2))))))
      return ParseNumber(out);
    if (c == '\'' || c == '"') return ParseString(out);
    if (!IsNameStart(c)) {
      if (AtEnd())
        return Fail(Column(), "expected a value at the end of the line");
      return Fail(Column(), "unexpected character '" + std::string(1, c) + "'");
    }
    std::string name = Name();
    if (name == "None" || name == "True" || name == "False") {
      out->kind =
          name == "None" ? Expression::Kind::None : Expression::Kind::Boolean;
      out->boolean = name == "True";
      return true;
    }
    out->kind = Expression::Kind::Name;
    out->name = name;
    if (Peek() == '.') {
      ++at_;
      if (!IsNameStart(Peek())) return FailHere("expected a name after '.'");
      out->alias = name;
      out->name = Name();
    }
    SkipSpace();
    if (Peek() != '(') return true;
    ++at_;
    out->kind = Expression::Kind::Call;
    return ParseArguments(out);
  }

  bool ParseArguments(Expression* call) {
    SkipSpace();
    if (Peek() == ')') {
      ++at_;
      return true;
    }
    for (;;) {
      Argument argument;
      SkipSpace();
      // keyword=value, but not a comparison or a call of the name.
      size_t mark = at_;
      if (IsNameStart(Peek())) {
        uint32_t column = Column();
        std::string keyword = Name();
        SkipSpace();
        if (Peek() == '=' && Peek(1) != '=') {
          ++at_;
          argument.keyword = keyword;
          argument.keywordColumn = column;
        } else {
          at_ = mark;
        }
      }
      if (!ParseExpression(&argument.value)) return false;
      call->arguments.push_back(std::move(argument));
      SkipSpace();
      if (Peek() == ',') {
        ++at_;
        SkipSpace();
        if (Peek() == ')') {
          ++at_;
          return true;
        }
        continue;
      }
      if (Peek() == ')') {
        ++at_;
        return true;
      }
      return FailHere("expected ',' or ')'");
    }
  }

  bool ParseNumber(Expression* out) {
    const uint32_t column = Column();
    size_t start = at_;
    if (Peek() == '-' || Peek() == '+') ++at_;
    bool real = false;
    int base = 10;
    if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X' || Peek(1) == 'o' ||
                          Peek(1) == 'O' || Peek(1) == 'b' || Peek(1) == 'B')) {
      char prefix = static_cast<char>(Peek(1) | 0x20);
      base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : 2;
      at_ += 2;
      while (IsNameChar(Peek())) ++at_;
    } else {
      while (IsDigit(Peek())) ++at_;
      if (Peek() == '.' && Peek(1) != '.') {
        real = true;
        ++at_;
        while (IsDigit(Peek())) ++at_;
      }
      if (Peek() == 'e' || Peek() == 'E') {
        size_t mark = at_++;
        if (Peek() == '-' || Peek() == '+') ++at_;
        if (IsDigit(Peek())) {
          real = true;
          while (IsDigit(Peek())) ++at_;
        } else {
          at_ = mark;
        }
      }
      if (IsNameChar(Peek())) {
        while (IsNameChar(Peek())) ++at_;
        return Fail(column, "invalid number '" +
                                line_.substr(start, at_ - start) + "'");
      }
    }
    std::string text = line_.substr(start, at_ - start);
    errno = 0;
    char* end = nullptr;
    if (real) {
      out->kind = Expression::Kind::Float;
      out->real = std::strtod(text.c_str(), &end);
      if (*end != '\0') return Fail(column, "invalid number '" + text + "'");
      if (errno == ERANGE && (out->real > 1 || out->real < -1))
        return Fail(column, "float literal out of range");
      return true;
    }
    // strtoll knows the 0x prefix only; the digits after the prefix are read
    // with the base the prefix names.
    std::string digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
      negative = digits[0] == '-';
      digits.erase(0, 1);
    }
    if (base != 10) digits.erase(0, 2);
    if (digits.empty()) return Fail(column, "invalid number '" + text + "'");
    for (char c : digits)
      if (HexValue(c) < 0 || HexValue(c) >= base)
        return Fail(column, "invalid number '" + text + "'");
    unsigned long long magnitude = std::strtoull(digits.c_str(), &end, base);
    const unsigned long long limit =
        negative ? 9223372036854775808ull : 9223372036854775807ull;
    if (errno == ERANGE || magnitude > limit)
      return Fail(column, "integer literal out of range");
    out->kind = Expression::Kind::Integer;
    out->integer = negative ? static_cast<int64_t>(0 - magnitude)
                            : static_cast<int64_t>(magnitude);
    return true;
  }

  bool ParseString(Expression* out) {
    const uint32_t column = Column();
    const char quote = line_[at_++];
    out->kind = Expression::Kind::String;
    for (;;) {
      if (at_ >= line_.size()) return Fail(column, "unterminated string");
      char c = line_[at_];
      if (c == quote) {
        ++at_;
        return true;
      }
      if (c != '\\') {
        out->text += c;
        ++at_;
        continue;
      }
      const uint32_t escapeColumn = Column();
      char e = Peek(1);
      at_ += 2;
      switch (e) {
        case '\\':
          out->text += '\\';
          break;
        case '\'':
          out->text += '\'';
          break;
        case '"':
          out->text += '"';
          break;
        case 'n':
          out->text += '\n';
          break;
        case 'r':
          out->text += '\r';
          break;
        case 't':
          out->text += '\t';
          break;
        case '0':
          out->text += '\0';
          break;
        case 'a':
          out->text += '\a';
          break;
        case 'b':
          out->text += '\b';
          break;
        case 'f':
          out->text += '\f';
          break;
        case 'v':
          out->text += '\v';
          break;
        case 'x': {
          int high = HexValue(Peek()), low = HexValue(Peek(1));
          if (high < 0 || low < 0)
            return Fail(escapeColumn, "invalid escape sequence '\\x'");
          out->text += static_cast<char>(high * 16 + low);
          at_ += 2;
          break;
        }
        case '\0':
          return Fail(column, "unterminated string");
        default:
          return Fail(escapeColumn,
                      "invalid escape sequence '\\" + std::string(1, e) + "'");
      }
    }
  }

  const std::string& line_;
  size_t at_ = 0;
  ParseError error_{0, ""};
};

}  // namespace

ParsedLine ParseLine(const std::string& line) {
  return LineParser(line).Parse();
}

}  // namespace standin
