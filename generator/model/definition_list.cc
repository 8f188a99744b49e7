#include "generator/model/definition_list.h"

namespace kivg {

void DefinitionList::Reserve(size_t steps, size_t parameters) {
  steps_.reserve(steps);
  parameters_.reserve(parameters);
}

WalkStep& DefinitionList::AddStep(StepKind kind, std::string_view name,
                                  uint32_t depth) {
  WalkStep& step = steps_.emplace_back();
  step.kind = kind;
  step.name = Keep(name);
  step.depth = depth;
  return step;
}

void DefinitionList::AddParameters(WalkStep& function,
                                   const ParameterList* list) {
  function.firstParameter = static_cast<uint32_t>(parameters_.size());
  function.parameterCount = 0;
  if (list == nullptr) return;
  for (const auto& parameter : list->parameters) {
    ListedParameter& listed = parameters_.emplace_back();
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

ListedValue DefinitionList::ValueOf(const Literal& literal) {
  ListedValue value;
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

std::string_view DefinitionList::Keep(std::string_view text) {
  return text_.Keep(text);
}

DefinitionList::Range<ListedParameter> DefinitionList::ParametersOf(
    const WalkStep& function) {
  ListedParameter* first = parameters_.data() + function.firstParameter;
  return {first, first + function.parameterCount};
}

DefinitionList::Range<const ListedParameter> DefinitionList::ParametersOf(
    const WalkStep& function) const {
  const ListedParameter* first = parameters_.data() + function.firstParameter;
  return {first, first + function.parameterCount};
}

}  // namespace kivg
