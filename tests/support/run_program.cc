#include "tests/support/run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Redirect(const std::string& path, int fd, int flags) {
  int opened = open(path.c_str(), flags, 0644);
  if (opened < 0) _exit(126);
  dup2(opened, fd);
  close(opened);
}

}  // namespace

std::string BinPath(const std::string& program) {
  return std::string(KIV_BIN_DIR) + "/" + program;
}

std::string SourcePath(const std::string& relative) {
  return std::string(KIV_SOURCE_DIR) + "/" + relative;
}

void ExecProgram(const std::string& program,
                 const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

ProgramResult RunProgram(const std::string& program,
                         const std::vector<std::string>& args,
                         const RunOptions& options) {
  char capture[] = "/tmp/kiv-run-XXXXXX";
  if (!mkdtemp(capture)) throw std::runtime_error("mkdtemp failed");
  const std::string outPath = options.stdoutPath.empty()
                                  ? std::string(capture) + "/out"
                                  : options.stdoutPath;
  const std::string errPath = std::string(capture) + "/err";

  int closedPipe[2] = {-1, -1};
  if (options.stdoutClosedPipe) {
    if (pipe(closedPipe) != 0) throw std::runtime_error("pipe failed");
    close(closedPipe[0]);
  }
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0)
      _exit(126);
    for (const auto& [name, value] : options.env) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
    Redirect(options.stdinPath.empty() ? "/dev/null" : options.stdinPath, 0,
             O_RDONLY);
    if (options.stdoutClosedPipe) {
      dup2(closedPipe[1], 1);
      close(closedPipe[1]);
    } else {
      Redirect(outPath, 1, O_WRONLY | O_CREAT | O_TRUNC);
    }
    Redirect(errPath, 2, O_WRONLY | O_CREAT | O_TRUNC);
    signal(SIGPIPE, options.sigpipeIgnored ? SIG_IGN : SIG_DFL);
    if (options.unprivileged && geteuid() == 0) {
      constexpr uid_t kNobody = 65534;
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
          setuid(kNobody) != 0)
        _exit(126);
    }
    ExecProgram(program, args);
  }
  if (options.stdoutClosedPipe) close(closedPipe[1]);
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0) {
  }
  ProgramResult result;
  result.status =
      WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  const bool captured = options.stdoutPath.empty() && !options.stdoutClosedPipe;
  if (captured) result.out = ReadAll(outPath);
  result.err = ReadAll(errPath);
  std::remove(errPath.c_str());
  if (captured) std::remove(outPath.c_str());
  rmdir(capture);
  return result;
}
