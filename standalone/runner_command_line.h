// The command line of kivs: kivs [OPTION]... [--] SCRIPT [ARG]...
// Parsing either yields the settings and the position of SCRIPT, or ends the
// program with a status after printing what the user needs to see.
#pragma once

#include <cstddef>
#include <cstdio>

namespace kivs {

struct RunnerSettings {
  std::size_t codeSize = 0;  // 0: no code area, the file is read whole
  std::size_t dataEntryCount = 2048;
  std::size_t codePageSize = 0;  // 0: no paging
  bool verbose = false;
};

struct RunnerCommandLine {
  bool exit = false;   // parsing already decided the outcome
  int exitStatus = 0;  // meaningful when exit is set
  RunnerSettings settings;
  int scriptIndex = 0;  // index of SCRIPT in argv; argc when there is none
};

RunnerCommandLine ParseRunnerCommandLine(int argc, char** argv);

void PrintRunnerUsage(std::FILE* stream);

}  // namespace kivs
