#include "generator/model/check_value.h"

#include <string>
#include <string_view>

#include "format/check_value_format.h"
#include "format/value_coding.h"
#include "generator/model/crc_engine.h"

namespace coding = kivformat::coding;

namespace kivg {

namespace {

namespace marks = kivformat::check_value;

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

  void ValueBytes(const WalkValue& value) {
    value_.clear();
    coding::PutValue(value_, value.Coded(), coding::StringLength::kLeftOut);
    Text(value_);
  }

  // The plain name is fed, not the qualified one: nesting shows in the order
  // of the items instead.
  void Step(const DefinitionWalk& walk, const WalkStep& step) {
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
        for (const WalkParameter& parameter : walk.ParametersOf(step)) {
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

}  // namespace

uint32_t CheckValueOf(const DefinitionWalk& walk, uint8_t features) {
  const CrcEngine engine = CrcEngine::Crc32();
  CheckValueFeeder feeder(engine);
  if (features != 0) {
    feeder.Byte(marks::kFeaturesMark);
    feeder.Byte(features);
  }
  for (const WalkStep& step : walk.steps()) feeder.Step(walk, step);
  return feeder.Result();
}

}  // namespace kivg
