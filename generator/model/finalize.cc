// Finalization of the spec model, in the order it runs: the class
// initializer, the reserved symbols, the ordered module list with its
// symbols, the one recorded walk and the first binding of every internal
// name on it, the format versions, the class-feature check, the checks of the
// generated names and, last, the check value.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "format/encoded_spec_format.h"
#include "format/reserved_names.h"
#include "format/spec_file_format.h"
#include "generator/model/c_identifiers.h"
#include "generator/model/check_value.h"
#include "generator/model/generator.h"
#include "generator/model/name_order.h"

namespace encoded_spec = kivformat::encoded_spec;
namespace reserved_names = kivformat::reserved_names;
namespace spec_file = kivformat::spec_file;

namespace kivg {

namespace {

using spec_file::kClassFeature;

// Records one definition of a map as the next step of the walk; returns the
// class whose members come next, if the definition is one.
const ClassDefinition* RecordDefinition(DefinitionWalk& walk,
                                        const std::string& name,
                                        const SourceElement& element,
                                        uint32_t depth) {
  WalkStep* step;
  const ClassDefinition* cls = nullptr;
  if (auto* assignment = dynamic_cast<const Assignment*>(&element)) {
    step = &walk.AddStep(StepKind::kAssignment, name, depth);
    if (assignment->value) {
      step->hasValue = true;
      step->value = walk.ValueOf(*assignment->value);
    }
  } else if (auto* function =
                 dynamic_cast<const FunctionDefinition*>(&element)) {
    step = &walk.AddStep(StepKind::kFunction, name, depth);
    step->isLibrary = function->isLibrary;
    step->internalName = walk.Keep(function->internalName);
    walk.AddParameters(*step, function->parameters.get());
  } else if ((cls = dynamic_cast<const ClassDefinition*>(&element)) !=
             nullptr) {
    step = &walk.AddStep(StepKind::kClassBegin, name, depth);
  } else {
    throw std::string("Internal error: Unknown definition type");
  }
  step->element = &element;
  return cls;
}

}  // namespace

bool Generator::Finalize() {
  // Diagnostics of finalization print without a location.
  currentLocation = SourceLocation();
  AddClassInitializer();
  DefineReservedSymbols();
  BuildModules();
  RecordWalk();
  RecordFirstBindings();
  SetFormatVersions();
  if (!CheckClassFeature()) return false;
  // Specs whose outputs would bind scripts to the wrong names, or whose C
  // would not compile, end here, before any output is written.
  CheckImportAliases();
  CheckGeneratedNames();
  if (errorCount != 0) return false;

  importsByModule.clear();
  moduleDefinitions.clear();
  checkValue = ComputeCheckValue();
  finalized = true;
  return true;
}

uint32_t Generator::ComputeCheckValue() const {
  return CheckValueOf(walk, features);
}

void Generator::AddClassInitializer() {
  if (!(features & kClassFeature)) return;
  std::shared_ptr<DefinitionMap>& main = moduleDefinitions[""];
  if (!main) main = std::make_shared<DefinitionMap>();
  scope = main;
  const std::string initializer = reserved_names::kInit.name;
  if (scope->count(initializer) != 0) return;
  // As if the main spec held: def __init__(self) = KivLib_class_init
  auto* parameters = new ParameterList();
  parameters->Append(
      new Parameter(Token(SourceLocation(), TokenType::NAME, "self"), nullptr));
  DefineFunction(
      new Token(SourceLocation(), TokenType::NAME, initializer), parameters,
      new Token(SourceLocation(), TokenType::NAME, "KivLib_class_init"));
}

void Generator::DefineReservedSymbols() {
  // No module is queued any more.
  everQueued.clear();
  nameSymbols.DefineReservedNames(features);
}

void Generator::BuildModules() {
  // A module imported under no alias can only be the main spec. When two
  // modules share an alias set, the first in name order keeps it.
  for (const auto& [moduleName, definitions] : moduleDefinitions) {
    AliasSet aliases;
    auto imports = importsByModule.find(moduleName);
    if (imports != importsByModule.end() && !imports->second.empty()) {
      for (const auto& entry : imports->second) aliases.insert(entry.first);
    } else if (!moduleName.empty()) {
      continue;
    }
    modules.emplace(std::move(aliases), Module{moduleName, definitions});
  }
  // The main module keeps 0; the others are numbered in module order.
  for (const auto& entry : modules) moduleSymbols.Assign(entry.second.name);
}

void Generator::RecordWalk() {
  // Each module's own definitions and its begin and end; class members and
  // parameters are estimated.
  size_t steps = 0;
  for (const auto& entry : modules)
    steps += entry.second.definitions->size() + 2;
  walk.Reserve(steps + steps / 4, 2 * steps);

  // One frame per map being walked: the module's map at the bottom, then the
  // member map of each class entered. An explicit stack keeps the process
  // stack flat however deeply classes nest.
  struct Frame {
    const DefinitionMap* map;
    DefinitionMap::const_iterator next;
    const std::string* className;  // key of the class in its parent map;
                                   // null for the module's map
  };
  std::vector<Frame> frames;
  for (const auto& [aliases, module] : modules) {
    walk.AddStep(StepKind::kModuleBegin, module.name, 0).aliases = &aliases;
    frames.push_back(
        Frame{module.definitions.get(), module.definitions->begin(), nullptr});
    while (!frames.empty()) {
      Frame& frame = frames.back();
      // The definitions of the innermost map are inside this many classes.
      const uint32_t depth = static_cast<uint32_t>(frames.size() - 1);
      if (frame.next == frame.map->end()) {
        if (frame.className != nullptr)
          walk.AddStep(StepKind::kClassEnd, *frame.className, depth - 1);
        frames.pop_back();
        continue;
      }
      const std::string& name = frame.next->first;
      const SourceElement& element = *frame.next->second;
      ++frame.next;
      // Members are walked right away, before the next sibling. The push may
      // move the frames, so frame is not used after it.
      if (const ClassDefinition* cls =
              RecordDefinition(walk, name, element, depth))
        frames.push_back(
            Frame{cls->definitions.get(), cls->definitions->begin(), &name});
    }
    walk.AddStep(StepKind::kModuleEnd, module.name, 0).aliases = &aliases;
  }
}

void Generator::RecordFirstBindings() {
  // Sorting the internal names rather than hashing them keeps a large spec's
  // pass in cache and its memory short-lived; equal names stay in walk order.
  // A definition whose internal name is the C name of one of its own
  // parameters binds nothing: it is an error of its own, which no later
  // definition should be measured against.
  std::vector<WalkStep>& steps = walk.steps();
  std::vector<NameKey> bound;
  bound.reserve(steps.size());
  for (uint32_t i = 0; i < steps.size(); ++i) {
    WalkStep& step = steps[i];
    if (step.kind != StepKind::kFunction) continue;
    step.firstBinding = i;
    bool namesOwnParameter = false;
    for (const WalkParameter& parameter : walk.ParametersOf(step))
      namesOwnParameter |=
          c_identifiers::IsCNameOfParameter(step.internalName, parameter.name);
    if (!namesOwnParameter) bound.emplace_back(step.internalName, i);
  }
  SortByName(bound);
  for (size_t i = 1; i < bound.size(); ++i) {
    if (SameName(bound[i - 1], bound[i]))
      steps[bound[i].index].firstBinding =
          steps[bound[i - 1].index].firstBinding;
  }
}

void Generator::SetFormatVersions() {
  // Features are written in the spec file's features byte and the encoded
  // spec's header.
  if (features != 0) {
    specFormatVersion =
        std::max(specFormatVersion, spec_file::kFirstVersionWithFeatures);
    appSpecFormatVersion =
        std::max(appSpecFormatVersion, encoded_spec::kFirstVersionWithFeatures);
  }
  // Imports need the end of the spec file's alias section and the module
  // count of the encoded spec's header.
  if (modules.size() > 1) {
    specFormatVersion =
        std::max(specFormatVersion, spec_file::kFirstVersionWithAliasEnd);
    appSpecFormatVersion =
        std::max(appSpecFormatVersion, encoded_spec::kFirstVersionWithHeader);
  }
  // The count byte holds at most kMaxShortParameterCount; a longer list
  // takes a count word, which needs the header's encoding. Only a module's
  // own functions count: members need the class feature, whose encoding has
  // a header already.
  if (appSpecFormatVersion >= encoded_spec::kFirstVersionWithHeader) return;
  for (const WalkStep& step : walk.steps()) {
    if (step.kind == StepKind::kFunction && !step.IsMember() &&
        step.parameterCount >
            static_cast<uint32_t>(encoded_spec::kMaxShortParameterCount)) {
      appSpecFormatVersion = encoded_spec::kFirstVersionWithHeader;
      return;
    }
  }
}

bool Generator::CheckClassFeature() {
  if (features & kClassFeature) return true;
  // A nested class has one at module level around it.
  for (const WalkStep& step : walk.steps()) {
    if (step.kind == StepKind::kClassBegin && !step.IsMember()) {
      ReportError(
          "Class definition(s) encountered without the class feature "
          "enabled");
      return false;
    }
  }
  return true;
}

}  // namespace kivg
