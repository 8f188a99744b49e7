#include "generator/output/spec_file_writer.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/coding.h"
#include "format/spec_file_format.h"
#include "generator/model/name_order.h"

namespace {

// Writes the name list, numbering each name as it is written. A name that
// already has a number (reserved, or written earlier) is not written again.
class NameListWriter {
 public:
  NameListWriter(Generator& generator, std::string& bytes)
      : symbols_(generator.nameSymbols),
        lastNameSymbol_(generator.lastNameSymbol),
        terminator_(static_cast<char>(
            spec_file::NameTerminator(generator.specFormatVersion))),
        bytes_(bytes) {}

  // The name's number; a new name is written and becomes lastNameSymbol.
  int32_t Write(std::string_view name) {
    // Assign leaves a numbered name alone, so a grown table means a new name;
    // this saves a second lookup per name.
    const size_t known = symbols_.size();
    const int32_t symbol = symbols_.Assign(name);
    if (symbols_.size() != known) {
      bytes_ += name;
      bytes_ += terminator_;
      lastNameSymbol_ = symbol;
    }
    return symbol;
  }
  void WriteEmptyEntry() { bytes_ += terminator_; }

 private:
  SymbolTable& symbols_;
  std::optional<int32_t>& lastNameSymbol_;
  char terminator_;
  std::string& bytes_;
};

// The qualified names of class members, joined from the names of the open
// classes as the walk goes. A deque, so that views of its names stay valid as
// it grows.
struct MemberNames {
  explicit MemberNames(const std::vector<WalkStep>& steps) {
    std::string prefix;
    std::vector<size_t> prefixLengths;
    for (uint32_t i = 0; i < steps.size(); ++i) {
      const WalkStep& step = steps[i];
      if (step.kind == StepKind::kClassEnd) {
        prefix.resize(prefixLengths.back());
        prefixLengths.pop_back();
        continue;
      }
      if (!step.IsDefinition()) continue;
      if (step.IsMember()) {
        names.push_back(prefix + ':');
        names.back() += step.name;
        stepIndexes.push_back(i);
      }
      if (step.kind == StepKind::kClassBegin) {
        prefixLengths.push_back(prefix.size());
        if (step.IsMember()) prefix += ':';
        prefix += step.name;
      }
    }
  }

  std::deque<std::string> names;  // in walk order
  std::vector<uint32_t> stepIndexes;
};

// Numbers the definition names, each once, in byte order, and records every
// definition's numbers. They go to a small array first, so that the steps
// are then filled in one pass in walk order rather than in name order.
void NumberDefinitionNames(std::vector<WalkStep>& steps, NameListWriter& names,
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
    const int32_t symbol = names.Write(first.name());
    for (; i < definitionNames.size() && SameName(definitionNames[i], first); ++i)
      symbolOfStep[definitionNames[i].index] = symbol;
  }
  for (uint32_t i = 0; i < steps.size(); ++i) {
    steps[i].nameSymbol = symbolOfStep[i];
    steps[i].qualifiedSymbol = symbolOfStep[i];
  }
}

// Numbers the parameter names, function by function in byte order of the
// qualified names; functions sharing one stay in walk order.
void NumberParameterNames(DefinitionList& list, const MemberNames& members,
                          NameListWriter& names) {
  const std::vector<WalkStep>& steps = list.steps();
  std::vector<NameKey> functions;
  functions.reserve(steps.size());
  size_t member = 0;
  for (uint32_t i = 0; i < steps.size(); ++i) {
    const bool isMember =
        member < members.stepIndexes.size() && members.stepIndexes[member] == i;
    if (steps[i].kind == StepKind::kFunction)
      functions.emplace_back(isMember ? members.names[member] : steps[i].name, i);
    if (isMember) ++member;
  }
  SortByName(functions);
  for (const NameKey& function : functions) {
    for (ListedParameter& parameter : list.ParametersOf(steps[function.index]))
      parameter.symbol = names.Write(parameter.name);
  }
}

void WriteFileHeader(const Generator& generator, std::string& bytes) {
  bytes.append(spec_file::kMagic, spec_file::kMagicSize);
  bytes += static_cast<char>(generator.specFormatVersion);
  coding::PutWord(bytes, *generator.checkValue);
  if (generator.specFormatVersion >= spec_file::kFirstVersionWithFeatures)
    bytes += static_cast<char>(generator.features);
}

}  // namespace

void WriteSpecFile(Generator& generator, std::ostream& out) {
  if (!generator.finalized) throw std::string("Internal error: Not finalized");
  if (!generator.checkValue)
    throw std::string("Internal error: Check value not computed");

  std::string bytes;
  WriteFileHeader(generator, bytes);
  NameListWriter names(generator, bytes);

  // The header lists every number up to lastNameSymbol; starting below the
  // first user number (or at the last alias) keeps the reserved names and the
  // aliases listed when no definition or parameter name gets numbered.
  generator.lastNameSymbol = spec_file::kFirstNameSymbol - 1;
  for (const auto& alias : generator.importsByAlias) names.Write(alias.first);
  if (generator.specFormatVersion >= spec_file::kFirstVersionWithAliasEnd)
    names.WriteEmptyEntry();

  DefinitionList& list = generator.definitionList;
  std::vector<WalkStep>& steps = list.steps();
  NumberDefinitionNames(steps, names, generator.nameSymbols);
  const MemberNames members(steps);
  NumberParameterNames(list, members, names);

  // Member names are numbered after every written name; they never appear in
  // the file, only in the encoded spec of the C source.
  for (size_t i = 0; i < members.names.size(); ++i)
    steps[members.stepIndexes[i]].qualifiedSymbol =
        generator.nameSymbols.Assign(members.names[i]);

  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  generator.symbolsAssigned = true;
}
