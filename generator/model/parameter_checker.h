// Checks the formal parameters of one `def` statement in written order: unique
// names, defaults only at the end of the positional part, at most one tuple
// group and nothing after the dictionary group. One checker per definition;
// it stops accepting parameters after the first failure.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "generator/frontend/spec_elements.h"

namespace kivg {

class ParameterChecker {
 public:
  // The next parameter in list order. Returns the diagnostic text, or an empty
  // string when the parameter is acceptable.
  std::string Check(const std::string& name, ParameterKind kind,
                    bool hasDefault);

 private:
  std::string Rule(const std::string& name, ParameterKind kind,
                   bool hasDefault);

  // Each accepted name with its 1-based position. A hash lookup keeps a
  // definition with a hundred thousand parameters linear.
  std::unordered_map<std::string, size_t> positions_;
  bool valid_ = true;
  bool seenDefault_ = false;
  bool seenTupleGroup_ = false;
  bool seenDictionaryGroup_ = false;
};

}  // namespace kivg
