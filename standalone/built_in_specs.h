// The two application specs compiled into kivs, in the order the loader
// offers them to the engine: the standard spec first, then the one with class
// support. A script executable runs against the first that accepts it.
#pragma once

#include <kiv.h>

#include <vector>

namespace kivs {

struct BuiltInSpec {
  const KivAppSpec* spec;
  const char* displayName;
};

using BuiltInSpecList = std::vector<BuiltInSpec>;

BuiltInSpecList MakeBuiltInSpecList();

}  // namespace kivs
