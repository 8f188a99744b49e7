// Synthetic application specs for measuring kivg at scale: a main spec with
// functions of mixed parameter kinds and defaults, constants, classes with
// members and imported modules, written to one text per file. Used by the
// kiv_synthetic_spec program and the lexer benchmark.
#pragma once

#include <cstddef>
#include <map>
#include <string>

struct SyntheticSpec {
  // File name (main.kivs, module names + ".kivs") to its text.
  std::map<std::string, std::string> files;
  size_t definitionCount = 0;
};

// A spec of about `definitions` definitions (functions, constants, classes
// and class members all count), a tenth of them classes' members and one
// imported module per thousand.
SyntheticSpec MakeSyntheticSpec(size_t definitions);
