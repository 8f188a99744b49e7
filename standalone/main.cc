// kivs, the standalone Kiv application runner.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/standard_descriptors.h"
#include "standalone/runner.h"

int main(int argc, char** argv) {
  if (!cli::OpenStandardDescriptors()) return 1;
  int status = kivs::RunStandalone(argc, argv);
  // Output lost on a full disk must not pass for a successful run.
  errno = 0;
  const bool flushFailed = std::fflush(stdout) != 0;
  if (flushFailed || std::ferror(stdout)) {
    const int error = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "Error writing standard output: %s\n",
                 std::strerror(error));
    if (status == 0) status = 2;
  }
  return status;
}
