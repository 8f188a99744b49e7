// kivg's standard output when it cannot be written: a full device, a
// closed pipe with SIGPIPE ignored or at its default.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/generator/device_node.h"
#include "tests/generator/kivg_run.h"
#include "tests/support/run_program.h"

namespace {

// Standard output that cannot be written makes a successful run fail, with
// the reason; status 2 keeps its meaning.
TEST(KivgDevices, FullStandardOutput) {
  const struct {
    std::vector<std::string> args;
    bool headerOnFullDevice;
    int status;
    std::string err;
  } cases[] = {
      {{"-v"},
       false,
       1,
       "Error writing standard output: No space left on device\n"},
      {{"app.kivs"},
       false,
       1,
       "Error writing standard output: No space left on device\n"},
      {{"-q", "app.kivs"}, false, 0, ""},
      {{"app.kivs"},
       true,
       2,
       "Error writing app.h: No space left on device\n"
       "Error writing standard output: No space left on device\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    if (!MakeDeviceNode(dir.Path("full"), FullDevice()) ||
        (c.headerOnFullDevice &&
         !MakeDeviceNode(dir.Path("app.h"), FullDevice())))
      GTEST_SKIP() << "making a device node needs root";
    RunOptions options;
    options.workDir = dir.path();
    options.stdoutPath = dir.Path("full");
    const ProgramResult result = RunProgram(BinPath("kivg"), c.args, options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
  }
}

// A closed pipe on standard output: with SIGPIPE ignored it is reported by
// its own name; by default SIGPIPE ends kivg at its first progress line,
// and the temporaries go with it while the previous outputs stay.
TEST(KivgDevices, ClosedPipeOnStandardOutput) {
  const struct {
    bool ignored;
    int status;  // 128 + signal number when killed
    std::string err;
    bool outputsReplaced;
  } cases[] = {
      {true, 1, "Error writing standard output: Broken pipe\n", true},
      {false, 128 + SIGPIPE, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ignored ? "ignored" : "default");
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    ASSERT_EQ(RunKivg(dir, {"-q", "app.kivs"}).status, 0);
    const std::string before = dir.Read("app.kivec");
    dir.Write("app.kivs", "x = 1\ny = 2\n");
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);  // nobody will ever read
    const std::string program = BinPath("kivg");
    const std::string errPath = dir.Path("err");
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      signal(SIGPIPE, c.ignored ? SIG_IGN : SIG_DFL);
      dup2(ends[1], 1);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      execl(program.c_str(), program.c_str(), "app.kivs",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ends[1]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
              c.status);
    EXPECT_EQ(dir.Read("err"), c.err);
    EXPECT_EQ(dir.Read("app.kivec") != before, c.outputsReplaced);
    EXPECT_EQ(dir.Files(),
              (std::vector<std::string>{"app.c", "app.h", "app.kivec",
                                        "app.kivs", "err"}));
  }
}

}  // namespace
