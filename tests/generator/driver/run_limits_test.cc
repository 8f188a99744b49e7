// The bounds on what one run reads: the number of source files read and
// the depth of nested includes, each ending the run at the include that
// would pass it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "generator/driver/run_sequence.h"
#include "tests/generator/kivg_run.h"

namespace {

// n files each including the next twice would read 2^(n+1) - 1 files; the
// run stops at the limit, where the next include would pass it.
TEST(KivgLimits, IncludeBombStopsAtTheFileLimit) {
  const int levels = 16;  // 131,071 reads
  TempDir dir;
  auto name = [](int level) {
    return level == 0 ? std::string("app.kivs")
                      : "./b" + std::to_string(level) + ".kivs";
  };
  for (int level = 0; level < levels; ++level) {
    const std::string next =
        "include \"./b" + std::to_string(level + 1) + "\"\n";
    dir.Write(name(level), next + next);
  }
  dir.Write(name(levels), "");

  // Where the limit falls: the reads in order, as kivg makes them.
  size_t reads = 1;
  std::string expected;
  std::function<bool(int)> visit = [&](int level) {
    if (level == levels) return false;
    for (int line = 1; line <= 2; ++line) {
      if (reads >= kivg::kMaxFilesRead) {
        expected = name(level) + ":" + std::to_string(line) +
                   ":9: Too many source files read (limit 100000): " +
                   name(level + 1) + "\n";
        return true;
      }
      ++reads;
      if (visit(level + 1)) return true;
    }
    return false;
  };
  ASSERT_TRUE(visit(0));

  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, expected);
  EXPECT_FALSE(dir.Exists("app.kivec"));
}

TEST(KivgLimits, IncludeDepthIsLimited) {
  TempDir dir;
  auto name = [](size_t level) {
    return level == 0 ? std::string("app.kivs")
                      : "./d" + std::to_string(level) + ".kivs";
  };
  for (size_t level = 0; level < kivg::kMaxIncludeDepth; ++level)
    dir.Write(name(level),
              "include \"./d" + std::to_string(level + 1) + "\"\n");
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, name(kivg::kMaxIncludeDepth - 1) +
                            ":1:9: Includes nested too deeply (limit 20000): " +
                            name(kivg::kMaxIncludeDepth) + "\n");
}

}  // namespace
