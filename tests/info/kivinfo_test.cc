// kivinfo run as a user runs it, on source-info files that the stand-in
// compiler wrote for a small script, checking exact output and status.
#include <gtest/gtest.h>
#include <kivd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/standalone/compiled_script.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

const char kUsage[] =
    "Usage:      kivinfo {OPTION}... [--] [INFO]\n"
    "\n"
    "Print the requested error information. Some options require INFO, the "
    "Kiv\n"
    "source info file (*.kivd). The suffix may be omitted. The INFO argument "
    "may be\n"
    "omitted if neither -l nor -p is used.\n"
    "\n"
    "Use -- before the INFO argument if it starts with an option prefix.\n"
    "\n"
    "Options (may be prefixed by / instead of -):\n"
    "-a code     Translate the add code result to descriptive text.\n"
    "-e code     Translate the run result to descriptive text.\n"
    "-h          Print usage information and exit.\n"
    "-l          List all source files.\n"
    "-p pc       Translate program counter source location.\n"
    "-s symbol   Translate symbol number to name.\n"
    "-v          Print version information and exit.\n";

std::string RunText(int32_t code) { return KivRunResultToString(code); }
std::string AddCodeText(int32_t code) { return KivAddCodeResultToString(code); }

struct Row {
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

class KivinfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CompileScript(dir_, "prog", "print(\"one\")\nprint(\"two\", end=\"\")\n");
    dir_.Write("corrupt.kivd", "this is no source info\n");
    source_ = dir_.Path("prog.kiv");
  }

  void Check(const std::vector<Row>& rows) const {
    for (const Row& row : rows) {
      RunOptions options;
      options.workDir = dir_.path();
      const ProgramResult result =
          RunProgram(BinPath("kivinfo"), row.args, options);
      const std::string args = ::testing::PrintToString(row.args);
      EXPECT_EQ(result.status, row.status) << args;
      EXPECT_EQ(result.out, row.out) << args;
      EXPECT_EQ(result.err, row.err) << args;
    }
  }

  TempDir dir_;
  std::string source_;
};

TEST_F(KivinfoTest, CommandLineFailures) {
  const std::string usage = kUsage;
  Check({
      {{}, 1, "", usage},
      {{"-h"}, 0, "", usage},
      {{"/?", "-x"}, 0, "", usage},
      {{"-x"}, 1, "", "Invalid option: -x\n"},
      {{"-ee", "1"}, 1, "", "Invalid option: -ee\n"},
      {{"-"}, 1, "", "Invalid option: -\n"},
      {{"-e"}, 1, "", "Command line error at argument 3\n" + usage},
      {{"-l", "-s"}, 1, "", "Command line error at argument 4\n" + usage},
      {{"prog", "extra"}, 1, "", "Command line error at argument 1\n" + usage},
      {{"-e", "1", "prog", "-l"},
       1,
       "",
       "Command line error at argument 3\n" + usage},
      {{"missing"},
       1,
       "",
       "Error loading missing.kivd: No such file or directory\n"},
      {{".kivd"},
       1,
       "",
       "Error loading .kivd.kivd: No such file or directory\n"},
      {{"-l", "corrupt.kivd"},
       1,
       "",
       "Error loading corrupt.kivd: Possible file corruption\n"},
  });
}

TEST_F(KivinfoTest, AnswersWithoutSourceInfo) {
  Check({
      {{"-v", "-e", "1", "prog"},
       0,
       "Kiv information utility version 1.3.0.0\n",
       ""},
      {{"-e", "12"}, 0, "Run error 12 (0x0C): " + RunText(12) + "\n", ""},
      {{"/a", "-1"},
       0,
       "Add code error -1 (0xFFFFFFFF): " + AddCodeText(-1) + "\n",
       ""},
      {{"-a", "3", "-e", "0x20", "--"},
       0,
       "Add code error 3 (0x03): " + AddCodeText(3) +
           "\nRun error 32 (0x20): " + RunText(32) + "\n",
       ""},
      {{"-e", "7", "-e", "x", "-e", "1"},
       0,
       "Run error 7 (0x07): " + RunText(7) + "\n",
       "Invalid value for -e: x\n"},
      {{"-e", ""}, 0, "", "Invalid value for -e: \n"},
      {{"-a", "2147483648"}, 0, "", "Invalid value for -a: 2147483648\n"},
      {{"-l"}, 0, "", "-l option ignored in absence of source info file\n"},
      {{"-s", "5", "-e", "250"},
       0,
       "Run error 250 (0xFA): " + RunText(250) + "\n",
       "-s option ignored in absence of source info file\n"},
      {{"/p", "-l"},
       0,
       "",
       "/p option ignored in absence of source info file\n"},
  });
}

TEST_F(KivinfoTest, AnswersFromSourceInfo) {
  const std::string list = "Source file names:\n   0. " + source_ + "\n-\n";
  Check({
      {{"-l", "prog"}, 0, list, ""},
      {{"-l", "--", "prog.kivd"}, 0, list, ""},
      {{"-p", "4660", "-s", "20", "prog"},
       0,
       "Program counter 4660 (0x0001234): No source\n"
       "Symbol 20: ? (symbol not found)\n",
       ""},
      {{"-p", "12", "prog"},
       0,
       "Program counter 12 (0x000000C): " + source_ + ":1:7\n",
       ""},
      {{"-s", "95", "-s", "120", "prog"},
       0,
       "Symbol 95: print\nSymbol 120: seconds\n",
       ""},
      {{"-p", "-0x10", "-l", "prog"}, 0, "", "Invalid value for -p: -16\n"},
      {{"-s", "1", "-p", "9x", "prog"},
       0,
       "Symbol 1: args\n",
       "Invalid value for -p: 9x\n"},
  });
}

// Answers and messages sent to one file come out in the order of the
// options, as a user reading both on a terminal sees them.
TEST_F(KivinfoTest, AnswersAndMessagesKeepTheirOrder) {
  const struct {
    std::string args;
    std::string both;
  } rows[] = {
      {"-e 7 -e x",
       "Run error 7 (0x07): " + RunText(7) + "\nInvalid value for -e: x\n"},
      {"-e 1 -l -e 12", "Run error 1 (0x01): " + RunText(1) +
                            "\n-l option ignored in absence of source info "
                            "file\nRun error 12 (0x0C): " +
                            RunText(12) + "\n"},
  };
  for (const auto& row : rows) {
    RunOptions options;
    options.workDir = dir_.path();
    const ProgramResult result = RunProgram(
        "/bin/sh", {"-c", BinPath("kivinfo") + " " + row.args + " 2>&1"},
        options);
    EXPECT_EQ(result.status, 0) << row.args;
    EXPECT_EQ(result.out, row.both) << row.args;
  }
}

// The source-info library opens by name and would wait for ever on a FIFO
// without a writer, or read /dev/zero without end: kivinfo hands it regular
// files only and reports anything else as not loadable. The time limit, far
// above any normal run, turns a hang into status 124.
TEST_F(KivinfoTest, SourceInfoThatIsNoRegularFileIsNotLoadable) {
  ASSERT_EQ(mkfifo(dir_.Path("fifo.kivd").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", dir_.Path("zero.kivd").c_str()), 0);
  ASSERT_EQ(symlink("/dev/null", dir_.Path("null.kivd").c_str()), 0);
  dir_.MakeDir("dir.kivd");
  const struct {
    std::string info;
    std::string err;
  } rows[] = {
      {"fifo", "Error loading fifo.kivd: Invalid argument\n"},
      {"zero.kivd", "Error loading zero.kivd: Invalid argument\n"},
      {"null", "Error loading null.kivd: Invalid argument\n"},
      {"dir", "Error loading dir.kivd: Is a directory\n"},
  };
  for (const auto& row : rows) {
    RunOptions options;
    options.workDir = dir_.path();
    const ProgramResult result = RunProgram(
        "/usr/bin/timeout", {"5", BinPath("kivinfo"), "-l", row.info}, options);
    EXPECT_EQ(result.status, 1) << row.info;
    EXPECT_EQ(result.out, "") << row.info;
    EXPECT_EQ(result.err, row.err) << row.info;
  }
}

// A reader that went away is reported with its own text, whether the write
// failed at the final flush or midway through a long answer, and whether
// the parent left SIGPIPE ignored or not.
TEST_F(KivinfoTest, ClosedPipeIsReportedAsBrokenPipe) {
  std::vector<std::string> many;
  for (int i = 0; i < 1000; ++i) {
    many.push_back("-e");
    many.push_back("1");
  }
  const std::vector<std::string> cases[] = {{"-e", "1"}, {"-l", "prog"}, many};
  for (const bool ignored : {false, true}) {
    for (const std::vector<std::string>& args : cases) {
      RunOptions options;
      options.workDir = dir_.path();
      options.stdoutClosedPipe = true;
      options.sigpipeIgnored = ignored;
      const ProgramResult result =
          RunProgram(BinPath("kivinfo"), args, options);
      const std::string what = std::to_string(args.size()) + " arguments" +
                               (ignored ? ", SIGPIPE ignored" : "");
      EXPECT_EQ(result.status, 1) << what;
      EXPECT_EQ(result.err, "Error writing standard output: Broken pipe\n")
          << what;
    }
  }
}

TEST_F(KivinfoTest, LostStandardOutputIsAFailure) {
  RunOptions full;
  full.stdoutPath = "/dev/full";
  const ProgramResult result =
      RunProgram(BinPath("kivinfo"), {"-e", "1"}, full);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "Error writing standard output: No space left on device\n");
}

}  // namespace
