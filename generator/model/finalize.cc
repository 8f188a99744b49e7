// Finalization of the spec model: the class initializer, reserved symbols,
// format versions, the ordered module list, and the check value computed over
// the one ordered walk of all definitions.
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "format/check_value_format.h"
#include "format/coding.h"
#include "format/encoded_spec_format.h"
#include "format/spec_file_format.h"
#include "generator/model/crc_engine.h"
#include "generator/model/generator.h"

namespace {

using spec_file::kClassFeature;
namespace marks = check_value;

// Feeds the check value's byte sequence into a CRC register.
class CheckValueFeeder {
 public:
  explicit CheckValueFeeder(const CrcEngine& engine)
      : engine_(engine), register_(engine.Initial()) {}

  void Byte(uint8_t byte) { register_ = engine_.Update(register_, &byte, 1); }

  void Text(std::string_view text) {
    register_ = engine_.Update(
        register_, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }

  void ValueBytes(const ListedValue& value) {
    value_.clear();
    coding::PutValue(value_, value.Coded(), coding::StringLength::kLeftOut);
    Text(value_);
  }

  // The plain name is fed, not the qualified one: nesting shows in the order
  // of the items instead.
  void Step(const DefinitionList& list, const WalkStep& step) {
    switch (step.kind) {
      case StepKind::kModuleBegin:
        if (step.aliases->empty()) return;
        Byte(marks::kAliasesMark);
        for (const std::string& alias : *step.aliases) {
          Text(alias);
          Byte(marks::kAliasEnd);
        }
        return;
      case StepKind::kAssignment:
        Byte(marks::kAssignmentMark);
        Text(step.name);
        if (step.hasValue) ValueBytes(step.value);
        return;
      case StepKind::kFunction:
        // The internal name, the library flag and the parameter kinds do not
        // change what a compiled script may call, so they are left out.
        Byte(marks::kFunctionMark);
        Text(step.name);
        for (const ListedParameter& parameter : list.ParametersOf(step)) {
          Byte(marks::kParameterMark);
          Text(parameter.name);
          if (parameter.hasDefault) ValueBytes(parameter.defaultValue);
        }
        return;
      case StepKind::kClassBegin:
        Byte(marks::kClassMark);
        Text(step.name);
        return;
      case StepKind::kClassEnd:
      case StepKind::kModuleEnd:
        return;
    }
  }

  uint32_t Result() const { return engine_.Result(register_); }

 private:
  const CrcEngine& engine_;
  uint32_t register_;
  std::string value_;  // the coded bytes of one value, reused
};

// Records one definition of a map as the next step of the walk; returns the
// class whose members come next, if the definition is one.
const ClassDefinition* RecordDefinition(DefinitionList& list,
                                        const std::string& name,
                                        const SourceElement& element,
                                        uint32_t depth) {
  WalkStep* step;
  const ClassDefinition* cls = nullptr;
  if (auto* assignment = dynamic_cast<const Assignment*>(&element)) {
    step = &list.AddStep(StepKind::kAssignment, name, depth);
    if (assignment->value) {
      step->hasValue = true;
      step->value = list.ValueOf(*assignment->value);
    }
  } else if (auto* function = dynamic_cast<const FunctionDefinition*>(&element)) {
    step = &list.AddStep(StepKind::kFunction, name, depth);
    step->isLibrary = function->isLibrary;
    step->internalName = list.Keep(function->internalName);
    list.AddParameters(*step, function->parameters.get());
  } else if ((cls = dynamic_cast<const ClassDefinition*>(&element)) != nullptr) {
    step = &list.AddStep(StepKind::kClassBegin, name, depth);
  } else {
    throw std::string("Internal error: Unknown definition type");
  }
  step->element = &element;
  return cls;
}

}  // namespace

bool Generator::Finalize() {
  currentLocation = SourceLocation();

  if (features & kClassFeature) {
    std::shared_ptr<DefinitionMap>& main = moduleDefinitions[""];
    if (!main) main = std::make_shared<DefinitionMap>();
    scope = main;
    std::string initializer = *SymbolTable::ReservedName(3);
    if (scope->count(initializer) == 0) {
      // As if the main spec held: def __init__(self) = KivLib_class_init
      auto* parameters = new ParameterList();
      parameters->Append(new Parameter(
          Token(SourceLocation(), TokenType::NAME, "self"), nullptr));
      DefineFunction(new Token(SourceLocation(), TokenType::NAME, initializer),
                     parameters,
                     new Token(SourceLocation(), TokenType::NAME,
                               "KivLib_class_init"));
    }
  }

  everQueued.clear();
  nameSymbols.DefineReservedNames(features);
  if (features != 0) {
    specFormatVersion = std::max<uint8_t>(specFormatVersion, 3);
    appSpecFormatVersion = std::max<uint8_t>(appSpecFormatVersion, 2);
  }

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

  if (modules.size() > 1) {
    specFormatVersion = std::max<uint8_t>(specFormatVersion, 2);
    if (appSpecFormatVersion == 0) appSpecFormatVersion = 1;
  }

  RecordWalk();
  // Checked on each module's own definitions, not on class members.
  for (const WalkStep& step : definitionList.steps()) {
    if (step.kind == StepKind::kModuleBegin) {
      moduleSymbols.Assign(step.name);
    } else if (step.IsMember() || !step.IsDefinition()) {
      continue;
    } else if (step.kind == StepKind::kFunction) {
      if (appSpecFormatVersion == 0 &&
          step.parameterCount >
              static_cast<uint32_t>(encoded_spec::kMaxShortParameterCount))
        appSpecFormatVersion = 1;
    } else if (step.kind == StepKind::kClassBegin &&
               !(features & kClassFeature)) {
      ReportError(
          "Class definition(s) encountered without the class feature "
          "enabled");
      return false;
    }
  }

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
  const CrcEngine engine = CrcEngine::Crc32();
  CheckValueFeeder feeder(engine);
  if (features != 0) {
    feeder.Byte(marks::kFeaturesMark);
    feeder.Byte(features);
  }
  for (const WalkStep& step : definitionList.steps()) feeder.Step(definitionList, step);
  return feeder.Result();
}

void Generator::RecordWalk() {
  // Each module's own definitions and its begin and end; class members and
  // parameters are estimated.
  size_t steps = 0;
  for (const auto& entry : modules) steps += entry.second.definitions->size() + 2;
  definitionList.Reserve(steps + steps / 4, 2 * steps);

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
    definitionList.AddStep(StepKind::kModuleBegin, module.name, 0).aliases = &aliases;
    frames.push_back(Frame{module.definitions.get(), module.definitions->begin(), nullptr});
    while (!frames.empty()) {
      Frame& frame = frames.back();
      // The definitions of the innermost map are inside this many classes.
      const uint32_t depth = static_cast<uint32_t>(frames.size() - 1);
      if (frame.next == frame.map->end()) {
        if (frame.className != nullptr)
          definitionList.AddStep(StepKind::kClassEnd, *frame.className, depth - 1);
        frames.pop_back();
        continue;
      }
      const std::string& name = frame.next->first;
      const SourceElement& element = *frame.next->second;
      ++frame.next;
      // Members are walked right away, before the next sibling. The push may
      // move the frames, so frame is not used after it.
      if (const ClassDefinition* cls =
              RecordDefinition(definitionList, name, element, depth))
        frames.push_back(Frame{cls->definitions.get(), cls->definitions->begin(), &name});
    }
    definitionList.AddStep(StepKind::kModuleEnd, module.name, 0).aliases = &aliases;
  }
}
