// kivinfo, the Kiv information utility.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "info/info_utility.h"

int main(int argc, char** argv) {
  int status = RunInfoUtility(argc, argv, std::cout, std::cerr);
  // Answers lost on a full disk must not pass for success.
  errno = 0;
  std::cout.flush();
  bool failed = !std::cout;
  int error = errno;
  if (std::fflush(stdout) != 0) {
    failed = true;
    if (error == 0) error = errno;
  }
  if (failed || std::ferror(stdout)) {
    std::cerr << "Error writing standard output: "
              << std::strerror(error != 0 ? error : EIO) << '\n';
    if (status == 0) status = 1;
  }
  return status;
}
