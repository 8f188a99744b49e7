#include "generator/model/definition_walk.h"

namespace kivg {

void DefinitionWalk::Reserve(size_t steps, size_t parameters) {
  steps_.reserve(steps);
  parameters_.reserve(parameters);
}

WalkStep& DefinitionWalk::AddStep(StepKind kind, std::string_view name,
                                  uint32_t depth) {
  WalkStep& step = steps_.emplace_back();
  step.kind = kind;
  step.name = Keep(name);
  step.depth = depth;
  return step;
}

void DefinitionWalk::AddParameters(WalkStep& function,
                                   const ParameterList* list) {
  function.firstParameter = static_cast<uint32_t>(parameters_.size());
  function.parameterCount = 0;
  if (list == nullptr) return;
  for (const auto& parameter : list->parameters) {
    WalkParameter& listed = parameters_.emplace_back();
    listed.name = Keep(parameter->name);
    listed.kind = parameter->kind;
    if (parameter->defaultValue) {
      listed.hasDefault = true;
      listed.defaultValue = ValueOf(*parameter->defaultValue);
    }
  }
  function.parameterCount =
      static_cast<uint32_t>(parameters_.size()) - function.firstParameter;
}

WalkValue DefinitionWalk::ValueOf(const Literal& literal) {
  WalkValue value;
  value.type = literal.type;
  switch (literal.type) {
    case LiteralType::Boolean:
      value.booleanValue = literal.booleanValue;
      break;
    case LiteralType::Integer:
      value.integerValue = literal.integerValue;
      break;
    case LiteralType::Float:
      value.realValue = literal.realValue;
      break;
    case LiteralType::String:
      value.stringData = Keep(literal.stringValue).data();
      value.stringLength = static_cast<uint32_t>(literal.stringValue.size());
      break;
    case LiteralType::None:
    case LiteralType::Ellipsis:
      break;
  }
  return value;
}

std::string_view DefinitionWalk::Keep(std::string_view text) {
  return text_.Keep(text);
}

DefinitionWalk::Range<WalkParameter> DefinitionWalk::ParametersOf(
    const WalkStep& function) {
  WalkParameter* first = parameters_.data() + function.firstParameter;
  return {first, first + function.parameterCount};
}

DefinitionWalk::Range<const WalkParameter> DefinitionWalk::ParametersOf(
    const WalkStep& function) const {
  const WalkParameter* first = parameters_.data() + function.firstParameter;
  return {first, first + function.parameterCount};
}

}  // namespace kivg
