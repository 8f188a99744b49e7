// kivg, kivs and kivinfo started from a shell with standard input, output or
// error closed. Each program must run as it does with all three open, and
// no file it opens may take the closed number: kivg's outputs stay exactly
// what a normal run writes, and nothing printed goes astray.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/standalone/compiled_script.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// Redefining x warns, so that kivg has a diagnostic to print.
const char kSpec[] = "x = 1\nx = 2\ndef f(a) = CallF\n";
const char kWarning[] = "app.kivs:2:1: Warning: Name 'x' redefined\n";
const char kWriting[] =
    "Writing spec to app.kivec\nWriting code to app.h and app.c\n";
const char* const kOutputs[] = {"app.kivec", "app.h", "app.c"};

class ClosedDescriptorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("app.kivs", kSpec);
    const ProgramResult reference = Shell("KIVG -q app.kivs");
    ASSERT_EQ(reference.status, 0) << reference.err;
    for (const char* output : kOutputs) {
      expected_.push_back(dir_.Read(output));
      std::remove(dir_.Path(output).c_str());
    }
    CompileScript(dir_, "hello", "print(\"hello\")\n");
    CompileScript(dir_, "fail", "print(\"before\")\nsleep(\"soon\")\n");
  }

  // Runs command in the test directory through the shell, with KIVG, KIVS
  // and KIVINFO standing for the programs built here.
  ProgramResult Shell(std::string command) const {
    for (const std::string program : {"KIVG", "KIVS", "KIVINFO"}) {
      const std::size_t at = command.find(program);
      if (at == std::string::npos) continue;
      std::string name = program;
      for (char& c : name) c = static_cast<char>(c - 'A' + 'a');
      command.replace(at, program.size(), BinPath(name));
    }
    RunOptions inDir;
    inDir.workDir = dir_.path();
    return RunProgram("/bin/sh", {"-c", "exec " + command}, inDir);
  }

  TempDir dir_;
  std::vector<std::string> expected_;  // kivg's outputs from a normal run
};

TEST_F(ClosedDescriptorsTest, ProgramsRunAsWithAllThreeOpen) {
  const std::string list =
      "Source file names:\n   0. " + dir_.Path("hello.kiv") + "\n-\n";
  const struct {
    std::string command;
    int status;
    std::string out;
    std::string err;
    bool kivgOutputs;  // kivg's three outputs are checked and removed
  } rows[] = {
      {"KIVG app.kivs <&-", 0, kWriting, kWarning, true},
      {"KIVG app.kivs >&-", 0, "", kWarning, true},
      {"KIVG -q app.kivs 2>&-", 0, "", "", true},
      {"KIVG app.kivs 2>&-", 0, kWriting, "", true},
      {"KIVS hello <&-", 0, "hello\n", "", false},
      {"KIVS hello >&-", 0, "", "", false},
      {"KIVS -c 512 -p 16 hello >&-", 0, "", "", false},
      {"KIVS fail 2>&-", 2, "before\n", "", false},
      {"KIVS -c 512 -p 16 fail 2>&-", 2, "before\n", "", false},
      {"KIVINFO -l hello <&-", 0, list, "", false},
      {"KIVINFO -e 0x20 -l hello >&-", 0, "", "", false},
      {"KIVINFO -l -e x hello 2>&-", 0, list, "", false},
  };
  for (const auto& row : rows) {
    const ProgramResult result = Shell(row.command);
    EXPECT_EQ(result.status, row.status) << row.command;
    EXPECT_EQ(result.out, row.out) << row.command;
    EXPECT_EQ(result.err, row.err) << row.command;
    if (!row.kivgOutputs) continue;
    for (std::size_t i = 0; i < expected_.size(); ++i) {
      EXPECT_EQ(dir_.Read(kOutputs[i]), expected_[i])
          << row.command << ": " << kOutputs[i];
      std::remove(dir_.Path(kOutputs[i]).c_str());
    }
  }
}

}  // namespace
