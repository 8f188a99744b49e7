// kivs, the standalone Kiv application runner.
#include <cstdio>
#include <cstring>

#include "cli/standard_descriptors.h"
#include "standalone/runner.h"
#include "standalone/standard_output.h"

int main(int argc, char** argv) {
  if (!cli::OpenStandardDescriptors()) return 1;
  cli::IgnoreBrokenPipeSignal();
  int status = kivs::RunStandalone(argc, argv);
  // Output lost on a full disk or into a closed pipe must not pass for a
  // successful run.
  if (!kivs::FlushOutput()) {
    std::fprintf(stderr, "Error writing standard output: %s\n",
                 std::strerror(kivs::OutputError()));
    if (status == 0) status = 2;
  }
  return status;
}
