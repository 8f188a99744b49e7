// The kivg program as main() runs it: the command line, the output files,
// one run sequence and the exit status, inside the outermost handler that
// turns an internal error into one line on standard error.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kivg {

// The whole kivg program below its outermost handler: command line, outputs,
// run and exit status. The model of the run is not freed; it is left to the
// operating system when the process ends (or freed by the next call).
int RunGenerator(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err);

// The kivg program: RunGenerator inside the outermost handler, on standard
// output and a buffered standard error. Standard output is flushed before
// the end; a failure is reported as "Error writing standard output: " +
// reason and turns status 0 into 1.
int GeneratorMain(const std::vector<std::string>& args);

}  // namespace kivg
