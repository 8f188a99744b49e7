// A program started with standard descriptors closed gets /dev/null on
// them, so that the first file it opens takes a number above 2.
#include "cli/standard_descriptors.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::string Target(int descriptor) {
  char target[PATH_MAX] = {};
  const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
  const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  return length < 0 ? ""
                    : std::string(target, static_cast<std::size_t>(length));
}

// In a child process: closes the descriptors, calls the helper, then checks
// each closed one and the next file's number. The exit status says which
// check failed: 0 none, 1 the helper, 2 a target, 3 an access mode, 4 the
// next file's number, 5 a descriptor left open that was not closed.
int RunWithClosed(const std::vector<int>& closed) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (int descriptor : closed) close(descriptor);
    if (!cli::OpenStandardDescriptors()) _exit(1);
    for (int descriptor : closed) {
      if (Target(descriptor) != "/dev/null") _exit(2);
      const int mode = fcntl(descriptor, F_GETFL) & O_ACCMODE;
      if (mode != (descriptor == 0 ? O_RDONLY : O_WRONLY)) _exit(3);
    }
    const int next = open("/dev/null", O_RDONLY);
    if (next <= 2) _exit(4);
    for (int descriptor = 0; descriptor <= 2; ++descriptor)
      if (Target(descriptor).empty()) _exit(5);
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(OpenStandardDescriptors, ReopensEachClosedOneOnDevNull) {
  const std::vector<int> cases[] = {{}, {0}, {1}, {2}, {0, 2}, {0, 1, 2}};
  for (const std::vector<int>& closed : cases)
    EXPECT_EQ(RunWithClosed(closed), 0) << ::testing::PrintToString(closed);
}

}  // namespace
