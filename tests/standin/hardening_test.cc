// Damaged files for the stand-in engine and source-info library: a script
// executable or source-info file cut short at any byte is refused or fails
// its run with a clear message, never crashes. Inputs found by fuzzing are
// kept here as regressions.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "include/kiv.h"
#include "include/kivd.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// "print(1)" compiled against the standard spec: the header (12 bytes), then
// PushInteger at 12, Call at 21, Discard at 32 and End at 33.
const char kScript[] = "print(1)\n";
const size_t kInstructionStarts[] = {12, 21, 32, 33};
const size_t kHeaderSize = 12;

class CutFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("script.kiv", kScript);
    const ProgramResult compiled = RunProgram(
        BinPath("kivc"),
        {std::string(KIV_STANDARD_SPEC_FILE), dir_.Path("script.kiv")});
    ASSERT_EQ(compiled.status, 0) << compiled.err;
    executable_ = dir_.Read("script.kive");
    sourceInfo_ = dir_.Read("script.kivd");
  }

  ProgramResult RunKivs(const std::vector<std::string>& args) const {
    RunOptions options;
    options.workDir = dir_.path();
    return RunProgram(BinPath("kivs"), args, options);
  }

  TempDir dir_;
  std::string executable_;
  std::string sourceInfo_;
};

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// What kivs reports for the executable cut after `size` bytes. Whole mode
// reads the file itself and so reports an empty one as a read error.
std::string ExpectedCutError(size_t size, bool wholeMode, bool pagedMode) {
  const std::string notExecutable = KivAddCodeResultToString(1);
  if (size == 0 && wholeMode)
    return "Error reading cut.kive: Unexpected end of file\n";
  if (size < kHeaderSize)
    return pagedMode ? "Error 0x01 loading paged code: " + notExecutable + "\n"
                     : "Seal error 0x01: " + notExecutable + "\n";
  size_t counter = kHeaderSize;
  for (size_t start : kInstructionStarts)
    if (start <= size) counter = start;
  return "Run error 0x03: " + std::string(KivRunResultToString(3)) +
         "\nProgram counter: 0x" + Hex(static_cast<uint32_t>(counter), 7) +
         "\n";
}

TEST_F(CutFiles, ExecutableCutAtEveryByteFailsInEveryLoadingMode) {
  ASSERT_EQ(executable_.size(), 34u);
  const struct {
    const char* label;
    std::vector<std::string> options;
  } modes[] = {
      {"whole", {}},
      {"byte by byte", {"-c", "4096"}},
      {"paged", {"-c", "4096", "-p", "256"}},
  };
  for (size_t size = 0; size < executable_.size(); ++size) {
    dir_.Write("cut.kive", executable_.substr(0, size));
    for (const auto& mode : modes) {
      SCOPED_TRACE(std::string(mode.label) + " cut at " + std::to_string(size));
      std::vector<std::string> args = mode.options;
      args.push_back("cut.kive");
      const ProgramResult result = RunKivs(args);
      EXPECT_EQ(result.status, 2);
      EXPECT_EQ(result.err, ExpectedCutError(size, mode.options.empty(),
                                             mode.options.size() == 4));
      // The call completes once the cut lies behind it.
      EXPECT_EQ(result.out, size >= 32 ? "1\n" : "");
    }
  }
  dir_.Write("cut.kive", executable_);
  EXPECT_EQ(RunKivs({"cut.kive"}).status, 0);
}

TEST_F(CutFiles, SourceInfoCutAtEveryByteIsRefusedWhole) {
  for (size_t size = 0; size < sourceInfo_.size(); ++size) {
    SCOPED_TRACE("cut at " + std::to_string(size));
    const std::string path =
        dir_.Write("cut.kivd", sourceInfo_.substr(0, size));
    errno = ENOENT;
    KivSourceInfo* info = KivLoadSourceInfoFromFile(path.c_str());
    EXPECT_EQ(info, nullptr);
    // Read but rejected, not a system failure.
    EXPECT_EQ(errno, 0);
    KivUnloadSourceInfo(info);
  }
  const std::string path = dir_.Write("cut.kivd", sourceInfo_);
  KivSourceInfo* info = KivLoadSourceInfoFromFile(path.c_str());
  EXPECT_NE(info, nullptr);
  KivUnloadSourceInfo(info);
}

TEST_F(CutFiles, KivinfoReportsACutSourceInfoFile) {
  for (size_t size : {size_t{0}, size_t{4}, size_t{6}, sourceInfo_.size() / 2,
                      sourceInfo_.size() - 1}) {
    SCOPED_TRACE("cut at " + std::to_string(size));
    dir_.Write("cut.kivd", sourceInfo_.substr(0, size));
    RunOptions options;
    options.workDir = dir_.path();
    const ProgramResult result =
        RunProgram(BinPath("kivinfo"), {"-l", "cut.kivd"}, options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Error loading cut.kivd: Possible file corruption\n");
  }
}

}  // namespace
