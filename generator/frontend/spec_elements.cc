#include "generator/frontend/spec_elements.h"

Literal::Literal(const Token& token) {
  switch (token.type) {
    case TokenType::STRING:
      type = LiteralType::String;
      stringValue = token.text;
      break;
    case TokenType::NONE:
      type = LiteralType::None;
      break;
    case TokenType::FALSE:
      type = LiteralType::Boolean;
      booleanValue = false;
      break;
    case TokenType::TRUE:
      type = LiteralType::Boolean;
      booleanValue = true;
      break;
    case TokenType::ELLIPSIS:
      type = LiteralType::Ellipsis;
      break;
    case TokenType::INTEGER:
      if (token.needsNegation)
        throw ElementError(token, "Integer constant out of range");
      type = LiteralType::Integer;
      integerValue = token.integerValue;
      break;
    case TokenType::FLOAT:
      type = LiteralType::Float;
      realValue = token.realValue;
      break;
    default:
      throw ElementError(token, "Invalid token");
  }
}

NameList* NameList::Append(const Token& name) {
  if (names.empty()) SetLocation(name);
  names.push_back(name.text);
  return this;
}

Parameter::Parameter(const Token& nameToken, Literal* value)
    : NonTerminal(nameToken.location), name(nameToken.text),
      kind(ParameterKind::Positional), defaultValue(value) {}

Parameter::Parameter(const Token& nameToken, ParameterKind k)
    : NonTerminal(nameToken.location), name(nameToken.text), kind(k) {}

ParameterList* ParameterList::Append(Parameter* parameter) {
  if (parameters.empty()) SetLocation(*parameter);
  parameters.emplace_back(parameter);
  return this;
}
