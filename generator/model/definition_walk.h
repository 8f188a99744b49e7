// The ordered walk over all modules and definitions, recorded once by
// Finalize: the modules in order, each one's definitions depth first in name
// order, a class's members right after the class. Finalization's checks, the
// check value, the numbering and every writer make a pass over it; reading
// these arrays front to back keeps each pass in cache, where walking the
// definition maps would visit map nodes and elements scattered over the heap.
// Names and texts are copied into the walk's own text pool, so a step holds
// everything a writer needs.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "format/value_coding.h"
#include "generator/frontend/spec_elements.h"
#include "generator/model/text_pool.h"

namespace kivg {

// The aliases under which a module was imported; empty for the main module.
using AliasSet = std::set<std::string>;

// A literal's value; the string text lives in the walk's text pool.
struct WalkValue {
  LiteralType type = LiteralType::None;
  uint32_t stringLength = 0;
  union {
    bool booleanValue;
    int32_t integerValue;
    double realValue = 0.0;
    const char* stringData;
  };
  std::string_view stringValue() const { return {stringData, stringLength}; }

  // The value as the byte formats code it.
  kivformat::coding::Value Coded() const {
    kivformat::coding::Value coded;
    coded.type = static_cast<uint8_t>(type);
    switch (type) {
      case LiteralType::Boolean:
        coded.boolean = booleanValue;
        break;
      case LiteralType::Integer:
        coded.integer = integerValue;
        break;
      case LiteralType::Float:
        coded.real = realValue;
        break;
      case LiteralType::String:
        coded.text = stringValue();
        break;
      case LiteralType::None:
      case LiteralType::Ellipsis:
        break;
    }
    return coded;
  }
};

struct WalkParameter {
  std::string_view name;
  WalkValue defaultValue;  // when hasDefault
  int32_t symbol = 0;      // the name's number, recorded by NumberNames
  ParameterKind kind = ParameterKind::Positional;
  bool hasDefault = false;
};

enum class StepKind : uint8_t {
  kModuleBegin,
  kAssignment,
  kFunction,
  kClassBegin,  // a class definition; its members follow, then kClassEnd
  kClassEnd,
  kModuleEnd,
};

struct WalkStep {
  StepKind kind = StepKind::kModuleBegin;
  bool isLibrary = false;  // functions: declared in a library source
  bool hasValue = false;   // assignments: false for a bare name
  // The number of classes around the definition; a kClassEnd has the depth
  // of its kClassBegin. Qualified names are not stored: a deep nesting would
  // make them quadratic in size. A pass that needs them gets them from
  // ForEachQualifiedName.
  uint32_t depth = 0;
  // The definition's name; the module's name for module steps, the class's
  // name for kClassEnd.
  std::string_view name;
  std::string_view internalName;      // functions
  const AliasSet* aliases = nullptr;  // module steps
  // Definition steps: the element in the model, which finalization's checks
  // of the generated names read for the locations they report.
  const SourceElement* element = nullptr;
  uint32_t firstParameter = 0;  // functions: see ParametersOf
  uint32_t parameterCount = 0;
  // Functions: the step of the first function in walk order that binds the
  // same internal name; its own index when it is that function. The first
  // binding decides the C function's one prototype, and a later one must
  // agree with it. Recorded by Finalize (RecordFirstBindings).
  uint32_t firstBinding = 0;
  WalkValue value;  // assignments with a value
  // The numbers of the name and of the qualified name (the same outside
  // classes), recorded by NumberNames for definition steps.
  int32_t nameSymbol = 0;
  int32_t qualifiedSymbol = 0;

  bool IsDefinition() const {
    return kind == StepKind::kAssignment || kind == StepKind::kFunction ||
           kind == StepKind::kClassBegin;
  }
  bool IsMember() const { return depth > 0; }
};

// The function step at `index` declares its internal name's prototype.
inline bool DeclaresPrototype(const WalkStep& step, uint32_t index) {
  return step.kind == StepKind::kFunction && step.firstBinding == index;
}

class DefinitionWalk {
 public:
  DefinitionWalk() = default;
  DefinitionWalk(const DefinitionWalk&) = delete;
  DefinitionWalk& operator=(const DefinitionWalk&) = delete;

  // A contiguous run of a function's parameters.
  template <typename T>
  struct Range {
    T* first;
    T* last;
    T* begin() const { return first; }
    T* end() const { return last; }
    size_t size() const { return static_cast<size_t>(last - first); }
  };

  // Building, in walk order. Reserving room first spares a large spec the
  // copies of a growing array; an estimate too high costs only address space.
  void Reserve(size_t steps, size_t parameters);
  WalkStep& AddStep(StepKind kind, std::string_view name, uint32_t depth);
  // Appends the parameters of the function step just added.
  void AddParameters(WalkStep& function, const ParameterList* list);
  WalkValue ValueOf(const Literal& literal);
  // A copy of the text that lives as long as the walk.
  std::string_view Keep(std::string_view text);

  std::vector<WalkStep>& steps() { return steps_; }
  const std::vector<WalkStep>& steps() const { return steps_; }
  Range<WalkParameter> ParametersOf(const WalkStep& function);
  Range<const WalkParameter> ParametersOf(const WalkStep& function) const;

 private:
  std::vector<WalkStep> steps_;
  std::vector<WalkParameter> parameters_;
  TextPool text_;
};

// Calls visit(index, qualifiedName) for each definition step and each
// kClassEnd step of the walk, in walk order. A definition's qualified name is
// the names of the classes around it, outermost first, and its own name,
// joined with ":" (member m of class C inside class B is B:C:m); a class end
// gets its class's qualified name. The names of the open classes share one
// growing string, so a deep nesting costs linear memory, not quadratic; the
// view is valid only during the call.
template <typename Visit>
void ForEachQualifiedName(const DefinitionWalk& walk, Visit&& visit) {
  const std::vector<WalkStep>& steps = walk.steps();
  std::string qualifiedName;         // of the innermost open class
  std::vector<size_t> outerLengths;  // of qualifiedName around each open class
  for (uint32_t i = 0; i < steps.size(); ++i) {
    const WalkStep& step = steps[i];
    switch (step.kind) {
      case StepKind::kAssignment:
      case StepKind::kFunction: {
        // Most definitions are not members: they need no copy.
        if (!step.IsMember()) {
          visit(i, step.name);
          break;
        }
        const size_t length = qualifiedName.size();
        qualifiedName += ':';
        qualifiedName += step.name;
        visit(i, std::string_view(qualifiedName));
        qualifiedName.resize(length);
        break;
      }
      case StepKind::kClassBegin:
        outerLengths.push_back(qualifiedName.size());
        if (step.IsMember()) qualifiedName += ':';
        qualifiedName += step.name;
        visit(i, std::string_view(qualifiedName));
        break;
      case StepKind::kClassEnd:
        visit(i, std::string_view(qualifiedName));
        qualifiedName.resize(outerLengths.back());
        outerLengths.pop_back();
        break;
      case StepKind::kModuleBegin:
      case StepKind::kModuleEnd:
        break;
    }
  }
}

}  // namespace kivg
