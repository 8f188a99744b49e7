#include "cli/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace cli {

bool OpenStandardDescriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // The lower descriptors are open by now, and open returns the lowest
    // free number: this one.
    if (open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY) == -1) {
      std::fprintf(stderr, "Error opening /dev/null: %s\n",
                   std::strerror(errno));
      return false;
    }
  }
  return true;
}

void IgnoreBrokenPipeSignal() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace cli
