// The ordered walk over all modules and definitions, laid out flat once the
// model is final. The check value and every writer make a pass over all
// definitions; reading these arrays front to back keeps each pass in cache,
// where walking the definition maps would visit map nodes and elements
// scattered over the heap in reading order. Names and texts are copied into
// the list's own text pool, so a step holds everything a writer needs.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "format/coding.h"
#include "generator/frontend/spec_elements.h"
#include "generator/model/text_pool.h"

// The aliases under which a module was imported; empty for the main module.
using AliasSet = std::set<std::string>;

// A literal's value; the string text lives in the list's text pool.
struct ListedValue {
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
  coding::Value Coded() const {
    coding::Value coded;
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

struct ListedParameter {
  std::string_view name;
  ListedValue defaultValue;  // when hasDefault
  int32_t symbol = 0;  // the name's number, recorded by NumberNames
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
  // make them quadratic in size. A pass that needs them joins the names of
  // the open classes as it goes.
  uint32_t depth = 0;
  // The definition's name; the module's name for module steps, the class's
  // name for kClassEnd.
  std::string_view name;
  std::string_view internalName;      // functions
  const AliasSet* aliases = nullptr;  // module steps
  uint32_t firstParameter = 0;        // functions: see ParametersOf
  uint32_t parameterCount = 0;
  ListedValue value;  // assignments with a value
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

class DefinitionList {
 public:
  DefinitionList() = default;
  DefinitionList(const DefinitionList&) = delete;
  DefinitionList& operator=(const DefinitionList&) = delete;

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
  ListedValue ValueOf(const Literal& literal);
  // A copy of the text that lives as long as the list.
  std::string_view Keep(std::string_view text);

  std::vector<WalkStep>& steps() { return steps_; }
  const std::vector<WalkStep>& steps() const { return steps_; }
  Range<ListedParameter> ParametersOf(const WalkStep& function);
  Range<const ListedParameter> ParametersOf(const WalkStep& function) const;

 private:
  std::vector<WalkStep> steps_;
  std::vector<ListedParameter> parameters_;
  TextPool text_;
};
