// The command line of kivinfo: kivinfo {OPTION}... [--] [INFO]
// A first pass checks the options and finds where INFO stands; the answers
// are produced by a second pass over the same arguments (info_utility.h).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/option_scanner.h"

namespace kivinfo {

// The option letters of kivinfo, and those that take a value; both passes
// read the arguments with them.
extern const cli::OptionLetters kInfoOptions;

struct InfoOptions {
  // Index in argv of the first argument that is not an option; may pass the
  // argument count when a value option stands last.
  int32_t infoIndex = 1;
  bool version = false;
};

struct InfoCommandLine {
  bool exit = false;   // the first pass already decided the outcome
  int exitStatus = 0;  // meaningful when exit is set
  InfoOptions options;
};

InfoCommandLine ScanInfoOptions(int argc, char** argv, std::ostream& err);

// INFO with ".kivd" appended, unless it already ends with it after at least
// one other character.
std::string InfoFileName(const std::string& argument);

void PrintInfoUsage(std::ostream& err);

}  // namespace kivinfo
