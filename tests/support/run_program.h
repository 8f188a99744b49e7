// Runs one of the toolchain's programs as a user would, from a shell, and
// captures what it printed and how it ended.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ProgramResult {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;  // standard output
  std::string err;  // standard error
};

struct RunOptions {
  std::string workDir;  // empty: the test's current directory
  // Environment changes: a value sets the variable, nullopt unsets it.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  std::string stdinPath;   // empty: /dev/null
  std::string stdoutPath;  // empty: captured into ProgramResult::out
  // Standard output is a pipe whose reader has gone (stdoutPath is then
  // not used), with SIGPIPE ignored or at its default.
  bool stdoutClosedPipe = false;
  bool sigpipeIgnored = false;
  // Run as the unprivileged user "nobody" when the tests run as root, so
  // that file permissions bind the program. The working directory must then
  // be searchable by everyone.
  bool unprivileged = false;
};

ProgramResult RunProgram(const std::string& program,
                         const std::vector<std::string>& args,
                         const RunOptions& options = {});

// In a forked child: replaces the process with the program and its
// arguments; exits 127 if that fails.
[[noreturn]] void ExecProgram(const std::string& program,
                              const std::vector<std::string>& args);

// Path of a program built into the build tree's bin directory.
std::string BinPath(const std::string& program);

// Path of a file in the source tree.
std::string SourcePath(const std::string& relative);
