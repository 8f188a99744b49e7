#include "generator/output/spec_file_writer.h"

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "generator/output/byte_writer.h"
#include "generator/output/spec_file_format.h"

namespace {

// Gathers, in one walk, the names of every definition, the parameter names
// of every function grouped by qualified name, and the qualified names of
// class members. Functions of different modules or classes sharing a
// qualified name form one group, in walk order.
class NameCollector : public DefinitionVisitor {
 public:
  void Definition(const std::string& name, const std::string& qualifiedName,
                  const SourceElement& element) override {
    definitionNames.push_back(&name);
    const std::string* qualified = &name;
    if (qualifiedName != name) {
      memberNames.push_back(qualifiedName);
      qualified = &memberNames.back();
    }
    const auto* function = dynamic_cast<const FunctionDefinition*>(&element);
    if (function != nullptr) functions.emplace_back(qualified, function);
  }

  // The definition names in byte order, each once.
  std::vector<std::string_view> SortedDefinitionNames() const {
    std::vector<std::string_view> names;
    names.reserve(definitionNames.size());
    for (const std::string* name : definitionNames) names.emplace_back(*name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
  }

  // Functions by qualified name in byte order; those sharing one stay in
  // walk order.
  std::vector<std::pair<const std::string*, const FunctionDefinition*>>
  SortedFunctions() const {
    auto sorted = functions;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return *a.first < *b.first; });
    return sorted;
  }

  // Pointers into the model, which outlives this collector.
  std::vector<const std::string*> definitionNames;
  // In walk order, the order in which they are numbered. A deque, so that
  // the pointers to its names stay valid as it grows.
  std::deque<std::string> memberNames;
  std::vector<std::pair<const std::string*, const FunctionDefinition*>> functions;
};

// Writes the name list, numbering each name as it is written. A name that
// already has a number (reserved, or written earlier) is skipped.
class NameListWriter {
 public:
  NameListWriter(SymbolTable& symbols, uint8_t formatVersion, std::string& bytes)
      : symbols_(symbols),
        terminator_(static_cast<char>(spec_file::NameTerminator(formatVersion))),
        bytes_(bytes) {}

  // Returns the new name's number, or nothing when it was skipped.
  std::optional<int32_t> Write(const std::string& name) {
    // Assign leaves a numbered name alone, so a grown table means a new name;
    // this saves a second lookup per name.
    const size_t known = symbols_.size();
    int32_t symbol = symbols_.Assign(name);
    if (symbols_.size() == known) return std::nullopt;
    bytes_ += name;
    bytes_ += terminator_;
    return symbol;
  }
  void WriteEmptyEntry() { bytes_ += terminator_; }

 private:
  SymbolTable& symbols_;
  char terminator_;
  std::string& bytes_;
};

void WriteFileHeader(const Generator& generator, std::string& bytes) {
  bytes.append(spec_file::kMagic, spec_file::kMagicSize);
  bytes += static_cast<char>(generator.specFormatVersion);
  AppendWord(bytes, *generator.checkValue);
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
  NameListWriter names(generator.nameSymbols, generator.specFormatVersion, bytes);

  // The header lists every number up to lastNameSymbol; starting below the
  // first user number (or at the last alias) keeps the reserved names and the
  // aliases listed when no definition or parameter name gets numbered.
  generator.lastNameSymbol = spec_file::kFirstNameSymbol - 1;
  for (const auto& alias : generator.importsByAlias) {
    if (auto symbol = names.Write(alias.first)) generator.lastNameSymbol = symbol;
  }
  if (generator.specFormatVersion >= spec_file::kFirstVersionWithAliasEnd)
    names.WriteEmptyEntry();

  NameCollector collected;
  generator.VisitDefinitions(collected);
  for (std::string_view name : collected.SortedDefinitionNames()) {
    if (auto symbol = names.Write(std::string(name))) generator.lastNameSymbol = symbol;
  }
  for (const auto& [qualifiedName, function] : collected.SortedFunctions()) {
    if (function->parameters == nullptr) continue;
    for (const auto& parameter : function->parameters->parameters) {
      if (auto symbol = names.Write(parameter->name))
        generator.lastNameSymbol = symbol;
    }
  }

  // Member names are numbered after every written name; they never appear in
  // the file, only in the encoded spec of the C source.
  for (const std::string& member : collected.memberNames)
    generator.nameSymbols.Assign(member);

  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  generator.symbolsAssigned = true;
}
