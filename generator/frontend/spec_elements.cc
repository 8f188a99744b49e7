#include "generator/frontend/spec_elements.h"

#include <vector>

namespace kivg {

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
    : NonTerminal(nameToken.location),
      name(nameToken.text),
      kind(ParameterKind::Positional),
      defaultValue(value) {}

Parameter::Parameter(const Token& nameToken, ParameterKind k)
    : NonTerminal(nameToken.location), name(nameToken.text), kind(k) {}

ParameterList* ParameterList::Append(Parameter* parameter) {
  if (parameters.empty()) SetLocation(*parameter);
  parameters.emplace_back(parameter);
  return this;
}

ClassDefinition::~ClassDefinition() {
  // A member map that only this class holds is emptied here, after the member
  // maps of its own sole-owned classes have been moved onto the list; each
  // nested class is therefore destroyed with an empty member pointer and
  // recursion never goes deeper than one level. Maps still shared (a scope
  // being read) are left to their other owner.
  std::vector<std::shared_ptr<DefinitionMap>> pending;
  pending.push_back(std::move(definitions));
  while (!pending.empty()) {
    std::shared_ptr<DefinitionMap> map = std::move(pending.back());
    pending.pop_back();
    if (!map || map.use_count() != 1) continue;
    for (auto& entry : *map) {
      auto* member = dynamic_cast<ClassDefinition*>(entry.second.get());
      if (member != nullptr && entry.second.use_count() == 1)
        pending.push_back(std::move(member->definitions));
    }
    map->clear();
  }
}

}  // namespace kivg
