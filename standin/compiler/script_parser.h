// Reads one line of a script in kivc's subset: a call statement
// name(args) or alias.name(args), a comment or nothing. Arguments are
// literals, names, alias.name, nested calls and keyword=value. The parser
// knows only text; resolving names against the spec is the compiler's job.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct Argument;

struct Expression {
  enum class Kind {
    None,
    Ellipsis,
    Boolean,
    Integer,
    Float,
    String,
    Name,
    Call
  };
  Kind kind = Kind::None;
  uint32_t column = 0;  // 1-based, of the expression's first character
  bool boolean = false;
  int64_t integer = 0;
  double real = 0;
  std::string text;   // a string's value
  std::string alias;  // empty, or the alias before the dot
  std::string name;   // a name, or the called name
  std::vector<Argument> arguments;
};

struct Argument {
  std::string keyword;  // empty for a positional argument
  uint32_t keywordColumn = 0;
  Expression value;
};

struct ParseError {
  uint32_t column;
  std::string message;
};

// The call on the line, nothing for a blank or comment line, or the error.
struct ParsedLine {
  std::optional<Expression> call;
  std::optional<ParseError> error;
};

ParsedLine ParseLine(const std::string& line);

}  // namespace standin
