// Runs the built kivg in a scratch directory, as a user would from a shell,
// waiting for it (RunKivg) or not (StartKivg).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// KIV_SPEC_INCLUDE is unset unless the caller gives it a value.
inline ProgramResult RunKivg(const TempDir& dir,
                             const std::vector<std::string>& args,
                             const char* specInclude = nullptr) {
  RunOptions options;
  options.workDir = dir.path();
  options.env.push_back(
      {"KIV_SPEC_INCLUDE",
       specInclude ? std::optional<std::string>(specInclude) : std::nullopt});
  return RunProgram(BinPath("kivg"), args, options);
}

// Starts kivg in `dir` without waiting for it, its standard streams on
// /dev/null, with the environment changes of RunOptions::env. Every signal
// reaches it at its default action and unblocked, whatever the test runner
// set, as from a shell; no core file is written.
inline pid_t StartKivg(
    const TempDir& dir, const std::vector<std::string>& args,
    const std::vector<std::pair<std::string, std::optional<std::string>>>& env =
        {}) {
  const std::string program = BinPath("kivg");
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(dir.path().c_str()) != 0) _exit(126);
  for (const auto& [name, value] : env) {
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
    signal(number, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // SIGQUIT would leave a core file among the files a test counts.
  const struct rlimit noCore = {0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  dup2(null, 2);
  ExecProgram(program, args);
}
