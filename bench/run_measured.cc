// kiv_run_measured PROGRAM [ARG]...: runs a program and prints its wall time
// in seconds and its peak resident memory in kilobytes ("WALL KB") on
// standard error, then exits with the program's status. The benchmark script
// measures kivg and kivs through it.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("Usage: kiv_run_measured PROGRAM [ARG]...\n", stderr);
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) {
    std::perror("kiv_run_measured");
    return 1;
  }
  const std::chrono::duration<double> wall =
      std::chrono::steady_clock::now() - start;
  std::fprintf(stderr, "%.3f %ld\n", wall.count(), usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
