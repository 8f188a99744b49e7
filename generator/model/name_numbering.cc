#include "generator/model/name_numbering.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/spec_file_format.h"
#include "generator/model/name_order.h"

namespace spec_file = kivformat::spec_file;

namespace kivg {

namespace {

// Numbers names in the order the spec file lists them. A name that already
// has a number (reserved, or numbered earlier) keeps it and is not listed.
class NameNumberer {
 public:
  explicit NameNumberer(Generator& generator)
      : symbols_(generator.nameSymbols),
        lastNameSymbol_(generator.lastNameSymbol) {}

  // The name's number; a new name is listed and becomes lastNameSymbol.
  int32_t Number(std::string_view name) {
    // Assign leaves a numbered name alone, so a grown table means a new name;
    // this saves a second lookup per name.
    const size_t known = symbols_.size();
    const int32_t symbol = symbols_.Assign(name);
    if (symbols_.size() != known) lastNameSymbol_ = symbol;
    return symbol;
  }

 private:
  SymbolTable& symbols_;
  std::optional<int32_t>& lastNameSymbol_;
};

// The qualified names of the class members, in walk order. A deque, so that
// views of its names stay valid as it grows.
struct MemberNames {
  explicit MemberNames(const DefinitionWalk& walk) {
    const std::vector<WalkStep>& steps = walk.steps();
    ForEachQualifiedName(walk, [&](uint32_t i, std::string_view qualifiedName) {
      if (!steps[i].IsMember() || !steps[i].IsDefinition()) return;
      names.emplace_back(qualifiedName);
      stepIndexes.push_back(i);
    });
  }

  std::deque<std::string> names;
  std::vector<uint32_t> stepIndexes;
};

// Numbers the definition names, each once, in byte order, and records every
// definition's numbers. They go to a small array first, so that the steps
// are then filled in one pass in walk order rather than in name order.
void NumberDefinitionNames(std::vector<WalkStep>& steps, NameNumberer& names,
                           SymbolTable& symbols) {
  std::vector<NameKey> definitionNames;
  definitionNames.reserve(steps.size());
  for (uint32_t i = 0; i < steps.size(); ++i) {
    if (steps[i].IsDefinition()) definitionNames.emplace_back(steps[i].name, i);
  }
  SortByName(definitionNames);
  symbols.Reserve(symbols.size() + definitionNames.size());
  std::vector<int32_t> symbolOfStep(steps.size());
  for (size_t i = 0; i < definitionNames.size();) {
    const NameKey& first = definitionNames[i];
    const int32_t symbol = names.Number(first.name());
    for (; i < definitionNames.size() && SameName(definitionNames[i], first);
         ++i)
      symbolOfStep[definitionNames[i].index] = symbol;
  }
  for (uint32_t i = 0; i < steps.size(); ++i) {
    steps[i].nameSymbol = symbolOfStep[i];
    steps[i].qualifiedSymbol = symbolOfStep[i];
  }
}

// Numbers the parameter names, function by function in byte order of the
// qualified names; functions sharing one stay in walk order.
void NumberParameterNames(DefinitionWalk& walk, const MemberNames& members,
                          NameNumberer& names) {
  const std::vector<WalkStep>& steps = walk.steps();
  std::vector<NameKey> functions;
  functions.reserve(steps.size());
  size_t member = 0;
  for (uint32_t i = 0; i < steps.size(); ++i) {
    const bool isMember =
        member < members.stepIndexes.size() && members.stepIndexes[member] == i;
    if (steps[i].kind == StepKind::kFunction)
      functions.emplace_back(isMember ? members.names[member] : steps[i].name,
                             i);
    if (isMember) ++member;
  }
  SortByName(functions);
  for (const NameKey& function : functions) {
    for (WalkParameter& parameter : walk.ParametersOf(steps[function.index]))
      parameter.symbol = names.Number(parameter.name);
  }
}

}  // namespace

ListedNames NumberNames(Generator& generator) {
  if (!generator.finalized) throw std::string("Internal error: Not finalized");
  if (!generator.checkValue)
    throw std::string("Internal error: Check value not computed");

  ListedNames listed;
  listed.first = generator.nameSymbols.size();
  NameNumberer names(generator);
  // The header lists every number up to lastNameSymbol; starting below the
  // first user number (or at the last alias) keeps the reserved names and the
  // aliases listed when no definition or parameter name gets numbered.
  generator.lastNameSymbol = spec_file::kFirstNameSymbol - 1;
  for (const auto& alias : generator.importsByAlias) names.Number(alias.first);
  listed.aliasEnd = generator.nameSymbols.size();

  DefinitionWalk& walk = generator.walk;
  std::vector<WalkStep>& steps = walk.steps();
  NumberDefinitionNames(steps, names, generator.nameSymbols);
  const MemberNames members(walk);
  NumberParameterNames(walk, members, names);
  listed.end = generator.nameSymbols.size();

  // Member names are numbered after every listed name; they never appear in
  // the spec file, only in the encoded spec of the C source.
  for (size_t i = 0; i < members.names.size(); ++i)
    steps[members.stepIndexes[i]].qualifiedSymbol =
        generator.nameSymbols.Assign(members.names[i]);

  generator.symbolsAssigned = true;
  return listed;
}

}  // namespace kivg
