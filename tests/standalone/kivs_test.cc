// kivs run as a user runs it: command lines, loading in every mode, scripts
// that print, sleep and fail, interrupts, and the files and streams that
// misbehave. Each case checks the exact output, errors and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <kiv.h>
#include <kivd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/standalone/compiled_script.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Usage() {
  return "Usage:      kivs [OPTION]... [--] SCRIPT [ARG]...\n"
         "\n"
         "Run the Kiv script executable SCRIPT (*.kive). The suffix may be "
         "omitted.\n"
         "If one or more ARG are given, they are passed as arguments to the "
         "script.\n"
         "\n"
         "Use -- before the SCRIPT argument if it starts with an option "
         "prefix.\n"
         "\n"
         "Options (may be prefixed by / instead of -):\n"
         "-c n        Code size, in bytes. The default behaviour is to "
         "determine the size\n"
         "            from the SCRIPT file. This default behaviour may also be "
         "invoked\n"
         "            explicitly by specifying 0 for n.\n"
         "-d n        Data entry count, where each entry is " +
         std::to_string(KivDataEntrySize()) +
         " bytes. Default is 2048.\n"
         "-h          Print usage information and exit.\n"
         "-p n        Code page size, in bytes. The default is 0, which "
         "disables paging\n"
         "            mode. The number of pages is the code size divided by "
         "this value.\n"
         "-v          Verbose. Output version and statistical information.\n";
}

std::string VersionLines() {
  uint8_t v[4] = {};
  KivEngineVersion(v);
  std::ostringstream text;
  text << "Kiv standalone application version 1.3.1.0\nEngine version: "
       << int(v[0]) << '.' << int(v[1]) << '.' << int(v[2]) << '.' << int(v[3])
       << '\n';
  return text.str();
}

std::string AddCodeText(int32_t code) { return KivAddCodeResultToString(code); }
std::string RunText(int32_t code) { return KivRunResultToString(code); }

const char kPrintScript[] =
    "print(\"hello\", 1, -2)\n"
    "print(1, 2, sep=\"-\")\n"
    "print(\"no end\", end=\"\")\n"
    "print()\n"
    "print(\"a\", \"b\", sep=0, end=\"!\\n\")\n";
const char kPrintOutput[] = "hello 1 -2\n1-2\nno end\na0b!\n";

class KivsTest : public ::testing::Test {
 protected:
  ProgramResult Kivs(const std::vector<std::string>& args,
                     RunOptions options = {}) const {
    if (options.workDir.empty()) options.workDir = dir_.path();
    return RunProgram(BinPath("kivs"), args, options);
  }

  // Runs kivs under a time limit far above any normal run: a run that hangs
  // ends with the status 124 of timeout instead of hanging the test.
  ProgramResult KivsWithLimit(const std::vector<std::string>& args) const {
    std::vector<std::string> limited = {"5", BinPath("kivs")};
    limited.insert(limited.end(), args.begin(), args.end());
    RunOptions options;
    options.workDir = dir_.path();
    return RunProgram("/usr/bin/timeout", limited, options);
  }

  TempDir dir_;
};

TEST_F(KivsTest, CommandLineMistakesEndBeforeAnythingRuns) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } rows[] = {
      {{}, 1, "No program specified\n" + Usage()},
      {{"-h"}, 0, Usage()},
      {{"/?", "x"}, 0, Usage()},
      {{"-x", "app"}, 1, "Invalid option: -x\n" + Usage()},
      {{"-"}, 1, "Invalid option: -\n" + Usage()},
      {{"-/", "app"}, 1, "Invalid option: -/\n" + Usage()},
      {{"-vv"}, 1, "Invalid option: -vv\n" + Usage()},
      {{"-c"}, 1, Usage()},
      {{"-c", "12abc", "app"}, 1, "Invalid code size: 12abc\n"},
      {{"-c", "4294968296", "app"}, 1, "Invalid code size: 4294968296\n"},
      {{"-d", "0x100000800", "app"},
       1,
       "Invalid data entry count: 0x100000800\n"},
      {{"-p", "2147483648", "app"}, 1, "Invalid code page size: 2147483648\n"},
      {{"-p", "-2147483649", "app"},
       1,
       "Invalid code page size: -2147483649\n"},
      {{"missing"},
       1,
       "Error opening missing.kive: No such file or directory\n"},
      {{"--"}, 1, "No program specified\n" + Usage()},
  };
  for (const auto& row : rows) {
    const ProgramResult result = Kivs(row.args);
    const std::string args = ::testing::PrintToString(row.args);
    EXPECT_EQ(result.status, row.status) << args;
    EXPECT_EQ(result.out, "") << args;
    EXPECT_EQ(result.err, row.err) << args;
  }
}

TEST_F(KivsTest, VerboseWithoutScriptPrintsTheVersions) {
  const ProgramResult result = Kivs({"-v"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, VersionLines());
  EXPECT_EQ(result.err, "");
}

TEST_F(KivsTest, PrintsInEveryLoadingMode) {
  CompileScript(dir_, "hello", kPrintScript);
  const std::vector<std::string> modes[] = {
      {"hello"},
      {"hello.kive"},
      {"-c", "0", "hello"},
      {"-c", "4096", "hello"},
      {"-c", "4096", "-p", "32", "hello"},
      {"-c", "100", "-p", "1", "hello"},
  };
  for (const auto& args : modes) {
    const ProgramResult result = Kivs(args);
    const std::string text = ::testing::PrintToString(args);
    EXPECT_EQ(result.status, 0) << text;
    EXPECT_EQ(result.out, kPrintOutput) << text;
    EXPECT_EQ(result.err, "") << text;
  }
}

TEST_F(KivsTest, PassesTheArgumentsAfterScript) {
  CompileScript(dir_, "echo", "print(args)\nprint(len(args))\n");
  const ProgramResult result = Kivs({"-d", "0x100", "echo", "a", "-b", "c d"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "('a', '-b', 'c d')\n3\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(KivsTest, DoubleDashLetsTheScriptStartWithAPrefix) {
  CompileScript(dir_, "hello", "print(\"hi\")\n");
  std::rename(dir_.Path("hello.kive").c_str(), dir_.Path("-prog").c_str());
  const ProgramResult result = Kivs({"--", "-prog"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "hi\n");
}

// Splits verbose output around the statistics, whose figures are the
// engine's: the text before, and whether the page read count was printed.
struct VerboseRun {
  std::string head;
  std::string statistics;
};

VerboseRun SplitStatistics(const std::string& out) {
  static const std::regex statistics(
      R"(Low free count: \d+ \(max \d+\)\n(Code page read count: \d+\n)?$)");
  std::smatch match;
  if (!std::regex_search(out, match, statistics)) return {out, ""};
  return {match.prefix(), match[1].matched ? "paged" : "plain"};
}

std::string CodeVersionLine(const TempDir& dir, const std::string& name) {
  std::ifstream in(dir.Path(name), std::ios::binary);
  char header[8] = {};
  in.read(header, sizeof header);
  std::ostringstream text;
  text << "Code version: " << int(uint8_t(header[4])) << '.'
       << int(uint8_t(header[5])) << '.' << int(uint8_t(header[6])) << '.'
       << int(uint8_t(header[7])) << '\n';
  return text.str();
}

TEST_F(KivsTest, VerboseNamesTheSpecThatAcceptedTheCode) {
  CompileScript(dir_, "plain", "print(\"plain\")\n");
  CompileScript(dir_, "classy", "print(\"classy\")\n", ClassSupportSpecFile());
  const struct {
    std::vector<std::string> args;
    std::string spec;
    std::string output;
    std::string statistics;
    std::string err;
  } rows[] = {
      {{"-v", "plain"}, "standalone (standard)", "plain\n", "plain", ""},
      {{"-v", "classy"},
       "standalone-oo (with class support)",
       "classy\n",
       "plain",
       ""},
      {{"-v", "-c", "512", "classy"},
       "standalone-oo (with class support)",
       "classy\n",
       "plain",
       ""},
      {{"-v", "-c", "512", "-p", "16", "classy"},
       "standalone-oo (with class support)",
       "classy\n",
       "paged",
       ""},
      {{"-v", "-p", "16", "plain"},
       "standalone (standard)",
       "plain\n",
       "plain",
       "WARNING: Code page size ignored\n"},
  };
  for (const auto& row : rows) {
    const std::string name = row.args.back();
    const ProgramResult result = Kivs(row.args);
    const std::string args = ::testing::PrintToString(row.args);
    EXPECT_EQ(result.status, 0) << args;
    const VerboseRun run = SplitStatistics(result.out);
    EXPECT_EQ(run.head, VersionLines() + "App spec: " + row.spec + "\n" +
                            CodeVersionLine(dir_, name + ".kive") + row.output)
        << args;
    EXPECT_EQ(run.statistics, row.statistics) << args;
    EXPECT_EQ(result.err, row.err) << args;
  }
}

TEST_F(KivsTest, PagedLoadingLimitsAndRefusesPageCounts) {
  CompileScript(dir_, "hello", kPrintScript);
  const ProgramResult limited = Kivs({"-c", "9600", "-p", "32", "hello"});
  EXPECT_EQ(limited.status, 0);
  EXPECT_EQ(limited.out, kPrintOutput);
  EXPECT_EQ(limited.err, "WARNING: Number of code pages limited to 255\n");

  const ProgramResult tooLarge = Kivs({"-c", "1000", "-p", "2000", "hello"});
  EXPECT_EQ(tooLarge.status, 2);
  EXPECT_EQ(tooLarge.out, "");
  EXPECT_EQ(tooLarge.err,
            "Code page size is larger than available code area.\n");
}

TEST_F(KivsTest, ExecutableForAnotherSpecFitsNeither) {
  dir_.Write("other.kivs", "def print(*values) = OtherPrint\n");
  RunOptions inDir;
  inDir.workDir = dir_.path();
  const ProgramResult generated =
      RunProgram(BinPath("kivg"), {"-q", "other.kivs"}, inDir);
  ASSERT_EQ(generated.status, 0) << generated.err;
  CompileScript(dir_, "stranger", "print(1)\n", dir_.Path("other.kivec"));
  const std::string refused = AddCodeText(KivAddCodeResult_InvalidCheckValue);
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"stranger"}, "Seal error 0x03: " + refused + "\n"},
      {{"-c", "512", "-p", "64", "stranger"},
       "Error 0x03 loading paged code: " + refused + "\n"},
  };
  for (const auto& row : rows) {
    const ProgramResult result = Kivs(row.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, row.err);
  }
  // Byte by byte the engine may notice at any byte or at the seal.
  const ProgramResult bytes = Kivs({"-c", "512", "stranger"});
  EXPECT_EQ(bytes.status, 2);
  EXPECT_TRUE(bytes.err == "Load error 0x03: " + refused + "\n" ||
              bytes.err == "Seal error 0x03: " + refused + "\n")
      << bytes.err;
}

// The failure report with the program counter that kivs printed, which is
// the engine's; everything around it is checked whole.
std::string ReportedCounter(const std::string& err) {
  static const std::regex counter(R"(Program counter: (0x[0-9A-F]{7}))");
  std::smatch match;
  return std::regex_search(err, match, counter) ? match[1].str() : "?";
}

TEST_F(KivsTest, FailedRunReportsResultCounterAndSourceLocation) {
  CompileScript(dir_, "fail",
                "print(\"before\")\n\nsleep(\"soon\")\nprint(\"after\")\n");
  const std::string runError = "Run error 0x0C: " + RunText(12) + "\n";

  const ProgramResult located = Kivs({"fail"});
  EXPECT_EQ(located.status, 2);
  EXPECT_EQ(located.out, "before\n");
  const std::string counter = ReportedCounter(located.err);
  EXPECT_EQ(located.err, runError + "Program counter: " + counter + "; " +
                             dir_.Path("fail.kiv") + ":3:1\n");

  // Without the .kivd beside it, only the counter; the last five characters
  // of the name are dropped whatever they are.
  std::rename(dir_.Path("fail.kive").c_str(), dir_.Path("my.bin").c_str());
  const ProgramResult unlocated = Kivs({"my.bin"});
  EXPECT_EQ(unlocated.status, 2);
  EXPECT_EQ(unlocated.err, runError + "Program counter: " + counter + "\n");
  std::rename(dir_.Path("fail.kivd").c_str(), dir_.Path("m.kivd").c_str());
  const ProgramResult renamed = Kivs({"-v", "my.bin"});
  EXPECT_EQ(renamed.status, 2);
  EXPECT_EQ(renamed.err, runError + "Program counter: " + counter + "; " +
                             dir_.Path("fail.kiv") + ":3:1\n");
  EXPECT_EQ(SplitStatistics(renamed.out).statistics, "plain");
}

// The source-info library opens by name: a FIFO without a writer in the
// .kivd's place would hang the report, /dev/zero would feed it without end.
// Only a regular file is loaded; anything else reports no location.
TEST_F(KivsTest, SourceInfoThatIsNoRegularFileIsNotLoaded) {
  CompileScript(dir_, "fail", "print(\"before\")\nsleep(\"soon\")\n");
  const std::string runError = "Run error 0x0C: " + RunText(12) + "\n";
  std::remove(dir_.Path("fail.kivd").c_str());
  const struct {
    const char* what;
    std::string make;  // a shell command that puts fail.kivd in place
  } rows[] = {
      {"FIFO without a writer", "mkfifo fail.kivd"},
      {"endless device", "ln -s /dev/zero fail.kivd"},
      {"empty device", "ln -s /dev/null fail.kivd"},
      {"directory", "mkdir fail.kivd"},
  };
  for (const auto& row : rows) {
    RunOptions inDir;
    inDir.workDir = dir_.path();
    ASSERT_EQ(RunProgram("/bin/sh", {"-c", row.make}, inDir).status, 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"fail"},
          std::vector<std::string>{"-c", "512", "-p", "16", "fail"}}) {
      const ProgramResult result = KivsWithLimit(args);
      EXPECT_EQ(result.status, 2) << row.what;
      EXPECT_EQ(result.out, "before\n") << row.what;
      EXPECT_EQ(result.err, runError + "Program counter: " +
                                ReportedCounter(result.err) + "\n")
          << row.what;
    }
    RunProgram("/bin/sh", {"-c", "rm -rf fail.kivd"}, inDir);
  }
}

// A FIFO or device as the executable is read as it comes, like a pipe; a
// FIFO without a writer reads as empty instead of blocking the open. An
// endless device is refused from its first bytes in every mode.
TEST_F(KivsTest, FifoOrDeviceAsExecutableNeverHangs) {
  ASSERT_EQ(mkfifo(dir_.Path("pipe.kive").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", dir_.Path("zero.kive").c_str()), 0);
  const std::string notKiv = AddCodeText(1);
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"pipe"}, "Error determining size of pipe.kive: Illegal seek\n"},
      {{"-c", "512", "pipe"}, "Seal error 0x01: " + notKiv + "\n"},
      {{"-c", "512", "-p", "64", "pipe"},
       "Error 0x06 loading paged code: " + AddCodeText(6) + "\n"},
      {{"zero"}, "Seal error 0x01: " + notKiv + "\n"},
      {{"-c", "512", "zero"}, "Load error 0x01: " + notKiv + "\n"},
      {{"-c", "512", "-p", "64", "zero"},
       "Error 0x01 loading paged code: " + notKiv + "\n"},
  };
  for (const auto& row : rows) {
    const ProgramResult result = KivsWithLimit(row.args);
    const std::string args = ::testing::PrintToString(row.args);
    EXPECT_EQ(result.status, 2) << args;
    EXPECT_EQ(result.out, "") << args;
    EXPECT_EQ(result.err, row.err) << args;
  }
}

TEST_F(KivsTest, AllocationFailuresEndWithStatusTwo) {
  CompileScript(dir_, "hello", kPrintScript);
  const struct {
    std::vector<std::string> args;
    std::string err;
  } rows[] = {
      {{"-d", "-1", "hello"}, "Error allocating engine data area\n"},
      {{"-c", "-1", "hello"}, "Error allocating engine code area\n"},
      {{"-d", "-2147483648", "hello"}, "Error allocating engine data area\n"},
  };
  for (const auto& row : rows) {
    const ProgramResult result = Kivs(row.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, row.err);
  }
}

TEST_F(KivsTest, OpeningReportsTheFailureThatMatters) {
  CompileScript(dir_, "demo", "print(\"demo\")\n");
  dir_.MakeDir("demo");
  const ProgramResult beside = Kivs({"demo"});
  EXPECT_EQ(beside.status, 0);
  EXPECT_EQ(beside.out, "demo\n");

  dir_.MakeDir("app.kive");
  dir_.MakeDir("lone");
  const struct {
    std::string script;
    std::string err;
  } rows[] = {
      {"app", "Error opening app.kive: Is a directory\n"},
      {"lone", "Error opening lone: Is a directory\n"},
      {"demo.kive/x", "Error opening demo.kive/x: Not a directory\n"},
      {"nothing", "Error opening nothing.kive: No such file or directory\n"},
  };
  for (const auto& row : rows) {
    const ProgramResult result = Kivs({row.script});
    EXPECT_EQ(result.status, 1) << row.script;
    EXPECT_EQ(result.err, row.err);
  }
}

TEST_F(KivsTest, UnreadableExecutableIsNotReportedAsMissing) {
  CompileScript(dir_, "app", "print(1)\n");
  chmod(dir_.Path("app.kive").c_str(), 0);
  chmod(dir_.path().c_str(), 0755);
  RunOptions asUser;
  asUser.unprivileged = true;
  const ProgramResult result = Kivs({"app.kive"}, asUser);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Error opening app.kive: Permission denied\n");
}

TEST_F(KivsTest, EmptyExecutable) {
  dir_.Write("empty.kive", "");
  const ProgramResult whole = Kivs({"empty"});
  EXPECT_EQ(whole.status, 2);
  EXPECT_EQ(whole.err, "Error reading empty.kive: Unexpected end of file\n");
  // Byte by byte, the engine is asked to seal nothing, once per spec.
  const ProgramResult bytes = Kivs({"-c", "64", "empty"});
  EXPECT_EQ(bytes.status, 2);
  EXPECT_EQ(bytes.err.rfind("Seal error 0x", 0), 0u) << bytes.err;
}

TEST_F(KivsTest, ScriptFromAPipe) {
  CompileScript(dir_, "plain", "print(\"piped\")\n");
  CompileScript(dir_, "classy", "print(\"classy\")\n", ClassSupportSpecFile());
  const struct {
    std::string command;
    int status;
    std::string out;
    std::string err;
  } rows[] = {
      {"cat plain.kive | KIVS -c 256 -- /dev/stdin", 0, "piped\n", ""},
      {"cat classy.kive | KIVS -c 256 -- /dev/stdin", 2, "",
       "Error reading /dev/stdin: Illegal seek\n"},
      {"cat plain.kive | KIVS -- /dev/stdin", 2, "",
       "Error determining size of /dev/stdin: Illegal seek\n"},
  };
  for (auto row : rows) {
    row.command.replace(row.command.find("KIVS"), 4, BinPath("kivs"));
    RunOptions inDir;
    inDir.workDir = dir_.path();
    const ProgramResult shell =
        RunProgram("/bin/sh", {"-c", row.command}, inDir);
    EXPECT_EQ(shell.status, row.status) << row.command;
    EXPECT_EQ(shell.out, row.out) << row.command;
    EXPECT_EQ(shell.err, row.err) << row.command;
  }
}

TEST_F(KivsTest, LostStandardOutputIsAFailure) {
  CompileScript(dir_, "hello", kPrintScript);
  RunOptions full;
  full.stdoutPath = "/dev/full";
  const char kLost[] =
      "Error writing standard output: No space left on device\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"hello"}, std::vector<std::string>{"-v"}}) {
    const ProgramResult result = Kivs(args, full);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, kLost);
  }
}

// A kivs process started in the background so the test can signal it.
class RunningKivs {
 public:
  // closedDescriptor, when not -1, is a standard descriptor kivs starts
  // without.
  RunningKivs(const TempDir& dir, const std::vector<std::string>& args,
              bool ignoreInterrupt, int closedDescriptor = -1)
      : out_(dir.Path("out.txt")), err_(dir.Path("err.txt")) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      if (ignoreInterrupt) signal(SIGINT, SIG_IGN);
      Redirect(out_, 1);
      Redirect(err_, 2);
      if (closedDescriptor != -1) close(closedDescriptor);
      ExecProgram(BinPath("kivs"), args);
    }
  }

  // Waits until the process has decided what SIGINT does to it, so the
  // signal cannot arrive before the runner is ready for it.
  void WaitUntilSettled(bool ignoring) const {
    const std::string status = "/proc/" + std::to_string(pid_) + "/status";
    const std::string field = ignoring ? "SigIgn:" : "SigCgt:";
    for (int i = 0; i < 5000; ++i) {
      std::ifstream in(status);
      std::string line;
      while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0 &&
            (std::stoull(line.substr(field.size()), nullptr, 16) & 2) != 0)
          return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  void Interrupt() const { kill(pid_, SIGINT); }

  bool Running() const {
    const std::string status = "/proc/" + std::to_string(pid_) + "/stat";
    std::ifstream in(status);
    std::string pid, name, state;
    in >> pid >> name >> state;
    return in && state != "Z";
  }

  // What the process's descriptor refers to; empty when it is not open.
  std::string DescriptorTarget(int descriptor) const {
    const std::string link =
        "/proc/" + std::to_string(pid_) + "/fd/" + std::to_string(descriptor);
    char target[4096] = {};
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    return length < 0 ? "" : std::string(target, std::size_t(length));
  }

  // Waits until the process has a file whose path ends in suffix open and
  // returns its descriptor, or -1 after five seconds.
  int WaitForOpenFile(const std::string& suffix) const {
    for (int i = 0; i < 2500; ++i) {
      for (int descriptor = 0; descriptor < 64; ++descriptor) {
        const std::string target = DescriptorTarget(descriptor);
        if (target.size() >= suffix.size() &&
            target.compare(target.size() - suffix.size(), suffix.size(),
                           suffix) == 0)
          return descriptor;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1;
  }

  // The exit status and the processor time the process used; with
  // peakKilobytes, also its largest resident size.
  ProgramResult Wait(double* cpuSeconds, long* peakKilobytes = nullptr) {
    int wstatus = 0;
    rusage usage{};
    while (wait4(pid_, &wstatus, 0, &usage) < 0) {
    }
    *cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (peakKilobytes != nullptr) *peakKilobytes = usage.ru_maxrss;
    ProgramResult result;
    result.status =
        WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = ReadAll(out_);
    result.err = ReadAll(err_);
    return result;
  }

 private:
  static void Redirect(const std::string& path, int fd) {
    const int opened = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (opened < 0) _exit(126);
    dup2(opened, fd);
    close(opened);
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string out_;
  std::string err_;
  pid_t pid_ = -1;
};

// Generous: a runner that polled the clock would burn the whole wait.
constexpr double kIdleCpuSeconds = 0.5;

TEST_F(KivsTest, SleepWaitsWithoutUsingTheProcessor) {
  CompileScript(dir_, "nap", "print(\"a\")\nsleep(1.2)\nprint(\"b\")\n");
  const auto start = std::chrono::steady_clock::now();
  RunningKivs kivs(dir_, {"nap"}, false);
  double cpu = 0;
  const ProgramResult result = kivs.Wait(&cpu);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "a\nb\n");
  EXPECT_GE(elapsed, std::chrono::milliseconds(1200));
  EXPECT_LT(cpu, kIdleCpuSeconds);
}

TEST_F(KivsTest, SleepsThatNeedNoWait) {
  CompileScript(
      dir_, "quick",
      "sleep(0)\nsleep(-5)\nsleep(float(\"nan\"))\nprint(\"done\")\n");
  const ProgramResult result = Kivs({"quick"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "done\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(KivsTest, InterruptEndsALongSleep) {
  for (const char* delay : {"3600", "1e9"}) {
    CompileScript(dir_, "long",
                  std::string("print(\"start\")\nsleep(") + delay +
                      ")\nprint(\"never\")\n");
    RunningKivs kivs(dir_, {"long"}, false);
    kivs.WaitUntilSettled(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kivs.Interrupt();
    double cpu = 0;
    const ProgramResult result = kivs.Wait(&cpu);
    EXPECT_EQ(result.status, 2) << delay;
    EXPECT_EQ(result.out, "start\nRun was INTERRUPTED!\n") << delay;
    EXPECT_EQ(result.err, "Program counter: " + ReportedCounter(result.err) +
                              "; " + dir_.Path("long.kiv") + ":2:1\n")
        << delay;
    EXPECT_LT(cpu, kIdleCpuSeconds) << delay;
  }
}

// In paged mode the executable stays open for the whole run. Started with a
// standard descriptor closed, kivs must not let the executable take that
// number, where the script's prints or the failure report would go.
TEST_F(KivsTest, ExecutableNeverTakesAStandardDescriptor) {
  CompileScript(dir_, "nap", "sleep(0.4)\nprint(\"finished\")\n");
  for (int closed : {0, 1, 2}) {
    RunningKivs kivs(dir_, {"-c", "512", "-p", "16", "nap"}, false, closed);
    const int held = kivs.WaitForOpenFile("/nap.kive");
    EXPECT_GT(held, 2) << closed;
    EXPECT_EQ(kivs.DescriptorTarget(closed), "/dev/null") << closed;
    double cpu = 0;
    const ProgramResult result = kivs.Wait(&cpu);
    EXPECT_EQ(result.status, 0) << closed;
    EXPECT_EQ(result.out, closed == 1 ? "" : "finished\n") << closed;
    EXPECT_EQ(result.err, "") << closed;
  }
}

TEST_F(KivsTest, InterruptIgnoredByTheParentStaysIgnored) {
  CompileScript(dir_, "nap", "sleep(0.5)\nprint(\"finished\")\n");
  RunningKivs kivs(dir_, {"nap"}, true);
  kivs.WaitUntilSettled(true);
  // Late enough for the runner to have set up its own interrupt handling.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kivs.Interrupt();
  double cpu = 0;
  const ProgramResult result = kivs.Wait(&cpu);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "finished\n");
  EXPECT_EQ(result.err, "");
}

// Whole mode reads a file of up to 2 GiB into memory; the engine sees its
// first bytes before that, so a large file that is no executable is refused
// without being read.
TEST_F(KivsTest, LargeForeignFileIsRefusedBeforeItIsReadWhole) {
  constexpr off_t kSize = off_t(512) << 20;
  const std::string path = dir_.Path("big.kive");
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, kSize), 0);  // sparse: nothing on disk
  close(fd);
  RunningKivs kivs(dir_, {"big"}, false);
  double cpu = 0;
  long peakKilobytes = 0;
  const ProgramResult result = kivs.Wait(&cpu, &peakKilobytes);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "Seal error 0x01: " + AddCodeText(1) + "\n");
  EXPECT_LT(peakKilobytes, long(kSize >> 10) / 4);
}

// Output into a closed pipe is lost output like a full disk: reported, and
// the run ends at once instead of going on into a reader that is gone,
// whether or not the parent left SIGPIPE ignored.
TEST_F(KivsTest, ClosedPipeEndsTheRunAndIsReported) {
  std::string script;
  for (int i = 0; i < 3000; ++i)
    script += "print(\"a line long enough to fill the output buffer soon\")\n";
  script += "sleep(30)\nprint(\"never\")\n";
  CompileScript(dir_, "loud", script);
  const std::regex report(
      "Program counter: 0x[0-9A-F]{7}; .*/loud\\.kiv:[0-9]+:1\n"
      "Error writing standard output: Broken pipe\n");
  for (const bool ignored : {false, true}) {
    RunOptions options;
    options.workDir = dir_.path();
    options.stdoutClosedPipe = true;
    options.sigpipeIgnored = ignored;
    const auto start = std::chrono::steady_clock::now();
    // Bounded: before the run ended with its output, it slept on.
    const ProgramResult result = RunProgram(
        "/usr/bin/timeout", {"20", BinPath("kivs"), "loud"}, options);
    EXPECT_EQ(result.status, 2) << ignored;
    EXPECT_TRUE(std::regex_match(result.err, report)) << ignored << "\n"
                                                      << result.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(15))
        << ignored;
  }
}

// What the script printed is written before the runner waits for a sleep
// and before the failure report, so a log shows both in the order they
// happened.
TEST_F(KivsTest, OutputComesBeforeWhatFollowsIt) {
  CompileScript(dir_, "nap", "print(\"start\")\nsleep(30)\nprint(\"never\")\n");
  RunningKivs sleeping(dir_, {"nap"}, false);
  sleeping.WaitUntilSettled(false);
  bool seenWhileSleeping = false;
  for (int i = 0; i < 500 && !seenWhileSleeping; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    seenWhileSleeping = dir_.Read("out.txt") == "start\n" && sleeping.Running();
  }
  EXPECT_TRUE(seenWhileSleeping);
  sleeping.Interrupt();
  double cpu = 0;
  const ProgramResult interrupted = sleeping.Wait(&cpu);
  EXPECT_EQ(interrupted.out, "start\nRun was INTERRUPTED!\n");

  CompileScript(dir_, "fail", "print(\"before\")\nsleep(\"soon\")\n");
  RunOptions inDir;
  inDir.workDir = dir_.path();
  const ProgramResult log = RunProgram(
      "/bin/sh", {"-c", "exec " + BinPath("kivs") + " fail 2>&1"}, inDir);
  EXPECT_EQ(log.status, 2);
  EXPECT_EQ(log.out, "before\nRun error 0x0C: " + RunText(12) +
                         "\nProgram counter: " + ReportedCounter(log.out) +
                         "; " + dir_.Path("fail.kiv") + ":2:1\n");
}

// The examples of the manual page, run as they stand there, each in a
// shell, with the scripts they name compiled beside them.
TEST_F(KivsTest, ManualPageExamplesRunAsWritten) {
  std::ifstream in(SourcePath("doc/kivs.1"));
  std::stringstream page;
  page << in.rdbuf();
  const std::string text = page.str();
  const std::size_t start = text.find(".SH EXAMPLES\n.nf\n");
  ASSERT_NE(start, std::string::npos);
  const std::size_t end = text.find(".fi\n", start);
  std::stringstream examples(text.substr(start + 17, end - start - 17));
  CompileScript(dir_, "hello", "print(\"hello\")\n");
  CompileScript(dir_, "blink", "print(\"blink\", args)\n");
  std::string line;
  int count = 0;
  while (std::getline(examples, line)) {
    std::string command;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line.compare(i, 2, "\\-") == 0) ++i;  // roff's minus sign
      command += line[i];
    }
    const std::size_t program = command.find("kivs ");
    ASSERT_NE(program, std::string::npos) << command;
    command.replace(program, 4, BinPath("kivs"));
    RunOptions inDir;
    inDir.workDir = dir_.path();
    const ProgramResult run = RunProgram("/bin/sh", {"-c", command}, inDir);
    EXPECT_EQ(run.status, 0) << line << "\n" << run.err;
    EXPECT_EQ(run.err, "") << line;
    EXPECT_EQ(
        run.out.rfind(
            line.find("blink") != std::string::npos ? "blink (" : "hello\n", 0),
        0u)
        << line << "\n"
        << run.out;
    ++count;
  }
  EXPECT_EQ(count, 3);
}

}  // namespace
