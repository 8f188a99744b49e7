// Compiles a script of kivc's subset against the names of one application
// spec into the stand-in engine's executable and its source-info file. Every
// instruction's program counter is mapped to the line and column it came
// from, and the source-info file carries all of the spec's names.
#pragma once

#include <string>
#include <vector>

#include "standin/compiler/spec_names.h"

namespace standin {

struct Compilation {
  std::vector<std::string> errors;  // "file:line:column: message", in order
  std::string executable;           // valid only without errors
  std::string sourceInfo;
};

Compilation CompileScript(const SpecNames& spec, const std::string& fileName,
                          const std::string& text);

}  // namespace standin
