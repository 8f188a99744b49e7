// kivls's command line: no arguments but its options; usage to standard
// error, the version to standard output, as the other programs do.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace kivls {

struct ServerCommandLine {
  size_t maxMessageBytes;
};

enum class CommandLineAction { kServe, kExitSuccess, kExitFailure };

CommandLineAction ParseServerCommandLine(const std::vector<std::string>& args,
                                         ServerCommandLine* options,
                                         std::ostream& out, std::ostream& err);

}  // namespace kivls
