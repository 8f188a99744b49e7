// Runs the built kivg in a scratch directory, as a user would from a shell.
#pragma once

#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// KIV_SPEC_INCLUDE is unset unless the caller gives it a value.
inline ProgramResult RunKivg(const TempDir& dir,
                             const std::vector<std::string>& args,
                             const char* specInclude = nullptr) {
  RunOptions options;
  options.workDir = dir.path();
  options.env.push_back(
      {"KIV_SPEC_INCLUDE",
       specInclude ? std::optional<std::string>(specInclude) : std::nullopt});
  return RunProgram(BinPath("kivg"), args, options);
}
