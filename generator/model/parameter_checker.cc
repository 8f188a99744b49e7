#include "generator/model/parameter_checker.h"

namespace kivg {

std::string ParameterChecker::Check(const std::string& name, ParameterKind kind,
                                    bool hasDefault) {
  if (!valid_) return "Internal error checking function definition";
  std::string message = Rule(name, kind, hasDefault);
  if (!message.empty()) valid_ = false;
  return message;
}

// The order of the tests decides which message a parameter that breaks
// several rules gets: a repeated name is reported before anything else.
std::string ParameterChecker::Rule(const std::string& name, ParameterKind kind,
                                   bool hasDefault) {
  const size_t count = positions_.size();
  const std::string position = std::to_string(count + 1);
  const auto inserted = positions_.emplace(name, count + 1);
  if (!inserted.second)
    return "Duplicate parameter name '" + name + "' (" + position + " vs. " +
           std::to_string(inserted.first->second) + ")";

  if (seenDictionaryGroup_)
    return "Parameter '" + name + "' (" + position +
           ") follows dictionary group parameter";

  switch (kind) {
    case ParameterKind::TupleGroup:
      if (seenTupleGroup_)
        return "Duplicate tuple group parameter '" + name + "' (" + position +
               ")";
      seenTupleGroup_ = true;
      break;
    case ParameterKind::DictionaryGroup:
      seenDictionaryGroup_ = true;
      return {};
    case ParameterKind::Positional:
      break;
  }

  // Once a tuple group has taken the surplus arguments, positional
  // parameters without defaults may follow defaulted ones again.
  if (hasDefault)
    seenDefault_ = true;
  else if (seenDefault_ && !seenTupleGroup_)
    return "Parameter '" + name + "' (" + position +
           ") with no default value follows parameter(s) with default value(s)";
  return {};
}

}  // namespace kivg
