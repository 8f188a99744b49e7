// Sources on disk that are not plain files of a sane size: FIFOs, devices
// that never end, files past the size limit. Each is a failed open or read
// with its own line, never a hang or exhausted memory.
#include "generator/driver/source_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/generator/kivg_run.h"
#include "tests/support/run_program.h"

namespace {

// Runs kivg under a watchdog: a run that blocks shows as status 124.
ProgramResult RunKivgWatched(const TempDir& dir,
                             const std::vector<std::string>& args) {
  std::vector<std::string> watched = {"10", BinPath("kivg")};
  watched.insert(watched.end(), args.begin(), args.end());
  RunOptions options;
  options.workDir = dir.path();
  options.env = {{"KIV_SPEC_INCLUDE", std::string()}};
  return RunProgram("/usr/bin/timeout", watched, options);
}

// Only regular files are read: a FIFO without a writer, a device that never
// ends, each is a failed open with a system text, never a hang or exhausted
// memory.
TEST(KivgSources, DevicesAndFifosAreFailedOpens) {
  const struct {
    const char* title;
    std::function<void(const TempDir&)> prepare;
    std::string err;
  } cases[] = {
      {"FIFO as SOURCE",
       [](const TempDir& d) { mkfifo(d.Path("app.kivs").c_str(), 0644); },
       "Error opening app.kivs: Invalid argument\n"},
      {"zero device as SOURCE",
       [](const TempDir& d) {
         symlink("/dev/zero", d.Path("app.kivs").c_str());
       },
       "Error opening app.kivs: Invalid argument\n"},
      {"included FIFO",
       [](const TempDir& d) {
         d.Write("app.kivs", "include \"./z\"\n");
         mkfifo(d.Path("z.kivs").c_str(), 0644);
       },
       "app.kivs:1:9: Error opening ./z.kivs: Invalid argument\n"},
      {"included zero device",
       [](const TempDir& d) {
         d.Write("app.kivs", "include \"./z\"\n");
         symlink("/dev/zero", d.Path("z.kivs").c_str());
       },
       "app.kivs:1:9: Error opening ./z.kivs: Invalid argument\n"},
      {"imported FIFO",
       [](const TempDir& d) {
         d.Write("app.kivs", "import z\n");
         mkfifo(d.Path("z.kivs").c_str(), 0644);
       },
       "app.kivs:1:8: Error opening z.kivs: Invalid argument\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    c.prepare(dir);
    const ProgramResult result = RunKivgWatched(dir, {"-q", "app.kivs"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_FALSE(dir.Exists("app.kivec"));
  }
}

// A source past the size limit is a read error; the file is sparse, so the
// test costs no disk space, and kivg does not read it at all.
TEST(KivgSources, OversizedSourceIsAReadError) {
  const struct {
    const char* title;
    std::string spec;
    std::string big;
    std::string err;
  } cases[] = {
      {"SOURCE", "", "app.kivs", "Error reading app.kivs: File too large\n"},
      {"include", "include \"./big\"\n", "big.kivs",
       "Error reading ./big.kivs: File too large\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    if (!c.spec.empty()) dir.Write("app.kivs", c.spec);
    dir.Write(c.big, "");
    ASSERT_EQ(truncate(dir.Path(c.big).c_str(), kivg::kMaxSourceFileSize + 1),
              0);
    const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_FALSE(dir.Exists("app.kivec"));
  }
}

}  // namespace
