// kivinfo from arguments to exit status: answers questions about a failed
// Kiv run (result codes, program counters, symbols, source files), the last
// three from one source-info file loaded for the whole run.
#pragma once

#include <ostream>

namespace kivinfo {

// 0 when done (also after an invalid value stopped the answers), 1 on a
// command-line error or an unloadable source-info file.
int RunInfoUtility(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace kivinfo
