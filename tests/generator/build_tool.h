// The documented make and Ninja rules around the built kivg, for tests that
// check what a real build does with kivg's outputs and dependency file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

// Writes the simplest rules of doc/generated-files.md: for make (a pattern
// rule and -include app.kivs.d) or for Ninja (depfile app.kivec.d, deps = gcc,
// restat) into `directory`, for the spec app.kivs there.
inline void WriteDocumentedRule(const std::string& directory, bool ninja) {
  const std::string kivg = BinPath("kivg");
  const std::string path = directory + (ninja ? "/build.ninja" : "/Makefile");
  const std::string text =
      ninja ? "rule kivg\n  command = KIV_SPEC_DEPFILE=$out.d "
              "KIV_SPEC_INCLUDE= " +
                  kivg +
                  " -q $in\n  depfile = $out.d\n  deps = gcc\n  restat = 1\n"
                  "\nbuild app.kivec | app.h app.c: kivg app.kivs\n"
            : "%.kivec %.h %.c: %.kivs\n\tKIV_SPEC_DEPFILE=$*.kivs.d "
              "KIV_SPEC_INCLUDE= " +
                  kivg + " -q $<\n-include app.kivs.d\n";
  FILE* file = fopen(path.c_str(), "w");
  if (file == nullptr) return;
  fputs(text.c_str(), file);
  fclose(file);
}

// The dependency file the documented rule names.
inline std::string DocumentedDepfile(bool ninja) {
  return ninja ? "app.kivec.d" : "app.kivs.d";
}

// Builds the three outputs in `directory`, or with dryRun only asks.
inline ProgramResult RunBuild(const std::string& directory, bool ninja,
                              bool dryRun) {
  RunOptions options;
  options.workDir = directory;
  if (ninja)
    return RunProgram(
        "/usr/bin/ninja",
        dryRun ? std::vector<std::string>{"-n"} : std::vector<std::string>{},
        options);
  return RunProgram("/usr/bin/make",
                    {dryRun ? "-q" : "-s", "app.kivec", "app.h", "app.c"},
                    options);
}

// Whether the build tool takes the outputs in `directory` as up to date.
inline bool BuildIsUpToDate(const std::string& directory, bool ninja) {
  const ProgramResult result = RunBuild(directory, ninja, true);
  return ninja ? result.out.find("no work to do") != std::string::npos
               : result.status == 0;
}
