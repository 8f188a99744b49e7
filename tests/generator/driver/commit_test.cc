// kivg's commit step as build tools meet it: kivg stopped at each step of
// putting its outputs into place (strace delivers a signal or a failure at
// the N-th write, link, rename, unlink or time stamp change), random signals
// over a large run, concurrent runs on the same outputs, and the stale
// temporaries a killed run leaves. After every stop the next build with
// real make and Ninja must either run kivg again or find outputs and
// dependency file made by one run, and no set may be mixed unnoticed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/generator/build_tool.h"
#include "tests/generator/kivg_run.h"
#include "tests/support/run_program.h"

namespace {

using Environment =
    std::vector<std::pair<std::string, std::optional<std::string>>>;

const std::vector<std::string> kOutputs = {"app.kivec", "app.h", "app.c"};
constexpr char kMark[] = "/dev/null/kivg-rerun";

void SetTime(const std::string& path, time_t seconds) {
  const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

int TemporariesIn(const TempDir& dir) {
  int count = 0;
  for (const std::string& file : dir.Files())
    count += file.find(".kivg-tmp-") != std::string::npos;
  return count;
}

// One of the two build tools, with the documented rule.
struct BuildTool {
  const char* name;
  bool ninja;

  std::string depfile() const { return DocumentedDepfile(ninja); }
  Environment Env() const {
    return {{"KIV_SPEC_DEPFILE", depfile()}, {"KIV_SPEC_INCLUDE", ""}};
  }
};

const BuildTool kTools[] = {{"make", false}, {"ninja", true}};

bool Usable(const char* program) { return access(program, X_OK) == 0; }

bool StraceWorks() {
  static const bool works =
      Usable("/usr/bin/strace") &&
      RunProgram("/usr/bin/strace",
                 {"-f", "-qq", "-o", "/dev/null", "/bin/true"})
              .status == 0;
  return works;
}

// Which run a file on disk comes from.
enum class Made { kOld, kNew, kMissing, kOther };

Made Classify(const TempDir& dir, const std::string& file,
              const std::string& old, const std::string& made) {
  if (!dir.Exists(file)) return Made::kMissing;
  const std::string text = dir.Read(file);
  if (text == made) return Made::kNew;
  if (text == old) return Made::kOld;
  return Made::kOther;
}

// Outputs that are not all from one run.
bool Mixed(const std::vector<Made>& made) {
  for (Made m : made) {
    if (m != made.front()) return true;
  }
  return made.front() == Made::kOther;
}

// The outputs of `spec` (with a.kivs and b.kivs beside it), for comparing.
std::vector<std::string> OutputsOf(const std::string& spec) {
  TempDir dir;
  dir.Write("a.kivs", "def fa(x) = FA\n");
  dir.Write("b.kivs", "def fb(y) = FB\n");
  dir.Write("app.kivs", spec);
  EXPECT_EQ(RunKivg(dir, {"-q", "app.kivs"}, "").status, 0);
  std::vector<std::string> outputs;
  for (const std::string& output : kOutputs)
    outputs.push_back(dir.Read(output));
  return outputs;
}

// For every step of a table row: a fresh build of "include a", the spec
// changed to "include b", kivg run by hand as the build would run it and
// stopped at the N-th call of the row's system call. Then the build tool
// decides; when it calls the outputs up to date they and the dependency
// file must be one run's, and after a real build an edit of b.kivs (which
// only the new dependency list names) must make them out of date.
TEST(KivgCommit, StopAtEachStepLeavesASetTheBuildTrusts) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  if (!Usable("/usr/bin/make") || !Usable("/usr/bin/ninja"))
    GTEST_SKIP() << "make and ninja are needed";
  const std::vector<std::string> oldOutputs = OutputsOf("include a\n");
  const std::vector<std::string> newOutputs = OutputsOf("include b\n");
  const struct {
    const char* calls;
    const char* action;
  } rows[] = {
      {"write", "signal=SIGKILL"},     {"linkat", "signal=SIGKILL"},
      {"renameat", "signal=SIGKILL"},  {"unlinkat", "signal=SIGKILL"},
      {"utimensat", "signal=SIGKILL"}, {"renameat", "signal=SIGQUIT"},
      {"write", "error=ENOSPC"},       {"renameat", "error=EIO"},
  };
  int stops = 0, mixed = 0, rerun = 0;
  for (const auto& row : rows) {
    for (const BuildTool& tool : kTools) {
      for (int step = 1; step < 60; ++step) {
        SCOPED_TRACE(std::string(tool.name) + ": " + row.action + " at " +
                     row.calls + " " + std::to_string(step));
        TempDir dir;
        const time_t past = time(nullptr) - 1000;
        for (const auto& [name, text] :
             {std::pair<std::string, std::string>{"a.kivs", "def fa(x) = FA\n"},
              {"b.kivs", "def fb(y) = FB\n"},
              {"app.kivs", "include a\n"}}) {
          dir.Write(name, text);
          SetTime(dir.Path(name), past);
        }
        WriteDocumentedRule(dir.path(), tool.ninja);
        ASSERT_EQ(RunBuild(dir.path(), tool.ninja, false).status, 0);
        // Time stamps tick by a clock tick: the edit must come later.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        dir.Write("app.kivs", "include b\n");

        RunOptions options;
        options.workDir = dir.path();
        options.env = tool.Env();
        const ProgramResult stopped =
            RunProgram("/usr/bin/strace",
                       {"-f", "-qq", "-o", "/dev/null", "-e",
                        std::string("inject=") + row.calls + ":" + row.action +
                            ":when=" + std::to_string(step),
                        BinPath("kivg"), "-q", "app.kivs"},
                       options);
        if (stopped.status == 0) break;  // the step is past the last call
        ++stops;

        std::vector<Made> made;
        for (size_t i = 0; i < kOutputs.size(); ++i)
          made.push_back(
              Classify(dir, kOutputs[i], oldOutputs[i], newOutputs[i]));
        const bool upToDate = BuildIsUpToDate(dir.path(), tool.ninja);
        mixed += Mixed(made);
        rerun += !upToDate;
        if (upToDate) {
          EXPECT_FALSE(Mixed(made));
          if (dir.Exists(tool.depfile())) {
            const std::string listed = dir.Read(tool.depfile());
            EXPECT_EQ(listed.find("/b.kivs") != std::string::npos,
                      made.front() == Made::kNew)
                << listed;
          }
        }
        // The next real build ends with the new set, and it follows b.kivs.
        ASSERT_EQ(RunBuild(dir.path(), tool.ninja, false).status, 0);
        for (size_t i = 0; i < kOutputs.size(); ++i)
          EXPECT_EQ(dir.Read(kOutputs[i]), newOutputs[i]) << kOutputs[i];
        SetTime(dir.Path("b.kivs"), time(nullptr) + 10);
        EXPECT_FALSE(BuildIsUpToDate(dir.path(), tool.ninja));
      }
    }
  }
  std::cout << "stops " << stops << ", mixed sets " << mixed
            << ", builds that reran kivg " << rerun << "\n";
  EXPECT_GT(stops, 40);
}

// A spec whose outputs take a while to write: tens of megabytes of C.
std::string LargeSpec(int functions, const std::string& tail) {
  std::string text = "include part\n";
  for (int i = 0; i < functions; ++i) {
    const std::string n = std::to_string(i);
    text += "def f" + n + "(a, b=1, c=\"x\", *d, **e) = F" + n + "\n";
  }
  return text + tail;
}

// The campaign's size, from the environment: kept small for every suite
// run, raised by hand for a longer one.
int FromEnvironment(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : otherwise;
}
int SignalRuns() { return FromEnvironment("KIV_SIGNAL_RUNS", 6); }

// Each signal at uniformly random times over a run that replaces a
// previous set. A handled signal keeps the previous set and leaves nothing
// behind; SIGKILL may fall into the commit, where the set can be mixed
// only while the dependency file is marked, and a later run removes the
// temporaries it left. KIV_SIGNAL_RUNS sets the runs per signal,
// KIV_SIGNAL_DEFINITIONS the spec's size.
TEST(KivgCommit, RandomSignalsNeverLeaveAMixedSetUnmarked) {
  const int definitions = FromEnvironment("KIV_SIGNAL_DEFINITIONS", 8000);
  const std::string oldSpec = LargeSpec(definitions, "");
  const std::string newSpec = LargeSpec(definitions, "def g(a) = G\n");
  const Environment env = {{"KIV_SPEC_DEPFILE", std::string("app.d")},
                           {"KIV_SPEC_INCLUDE", std::string("")}};
  auto prepare = [&](const TempDir& dir, const std::string& spec) {
    dir.Write("part.kivs", "p = 1\n");
    dir.Write("app.kivs", spec);
  };
  // The new set and how long writing it takes.
  std::vector<std::string> newOutputs;
  double seconds = 0;
  {
    TempDir dir;
    prepare(dir, newSpec);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunKivg(dir, {"-q", "app.kivs"}, "").status, 0);
    seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    for (const std::string& output : kOutputs)
      newOutputs.push_back(dir.Read(output));
  }
  std::mt19937 random(2326);
  std::uniform_real_distribution<double> when(0, seconds * 1.2);
  const struct {
    int number;
    const char* name;
  } signals[] = {{SIGINT, "INT"},   {SIGTERM, "TERM"}, {SIGHUP, "HUP"},
                 {SIGPIPE, "PIPE"}, {SIGQUIT, "QUIT"}, {SIGKILL, "KILL"}};
  for (const auto& s : signals) {
    int kept = 0, whole = 0, marked = 0, mixed = 0, unmarkedMixed = 0,
        temporaries = 0, finished = 0;
    for (int run = 0; run < SignalRuns(); ++run) {
      TempDir dir;
      prepare(dir, oldSpec);
      RunOptions options;
      options.workDir = dir.path();
      options.env = env;
      ASSERT_EQ(RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options).status,
                0);
      std::vector<std::string> oldOutputs;
      for (const std::string& output : kOutputs)
        oldOutputs.push_back(dir.Read(output));
      const std::string oldDepfile = dir.Read("app.d");
      dir.Write("app.kivs", newSpec);

      const pid_t pid = StartKivg(dir, {"-q", "app.kivs"}, env);
      std::this_thread::sleep_for(std::chrono::duration<double>(when(random)));
      kill(pid, s.number);
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      finished += WIFEXITED(status);

      std::vector<Made> made;
      for (size_t i = 0; i < kOutputs.size(); ++i)
        made.push_back(
            Classify(dir, kOutputs[i], oldOutputs[i], newOutputs[i]));
      const std::string depfile = dir.Exists("app.d") ? dir.Read("app.d") : "";
      const bool isMarked = depfile.find(kMark) != std::string::npos;
      const int left = TemporariesIn(dir);
      temporaries += left;
      marked += isMarked;
      if (Mixed(made)) {
        ++mixed;
        unmarkedMixed += !isMarked;
      } else if (made.front() == Made::kOld && depfile == oldDepfile) {
        ++kept;
      } else if (made.front() == Made::kNew && !isMarked &&
                 depfile.find("/part.kivs") != std::string::npos) {
        ++whole;
      }
      if (s.number != SIGKILL) {
        EXPECT_FALSE(Mixed(made));
        EXPECT_FALSE(isMarked);
        EXPECT_EQ(left, 0);
      }
      if (left > 0) {
        ASSERT_EQ(
            RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options).status, 0);
        EXPECT_EQ(TemporariesIn(dir), 0);
      }
    }
    EXPECT_EQ(unmarkedMixed, 0);
    EXPECT_EQ(kept + whole + marked, SignalRuns());
    std::cout << "SIG" << s.name << ": " << SignalRuns() << " runs, kept "
              << kept << ", whole new " << whole << " (finished " << finished
              << "), marked " << marked << ", mixed " << mixed << " (unmarked "
              << unmarkedMixed << "), temporaries left " << temporaries << "\n";
  }
}

// Twenty runs with different specs on the same outputs at once, three
// times over: the commit lock lets the last run to commit put its whole
// set in place.
TEST(KivgCommit, ConcurrentRunsLeaveOneRunsWholeSet) {
  constexpr int kRuns = 20;
  TempDir dir;
  dir.MakeDir("out");
  for (int i = 0; i < kRuns; ++i) {
    std::string spec = "def mark() = Mark_" + std::to_string(i) + "_\n";
    for (int f = 0; f < 2000; ++f)
      spec += "def f" + std::to_string(f) + "(p_" + std::to_string(i) +
              "_q) = F" + std::to_string(f) + "\n";
    dir.Write("s" + std::to_string(i) + "/app.kivs", spec);
  }
  auto whose = [&](const std::string& text, const std::string& before,
                   const std::string& after) {
    for (int i = 0; i < kRuns; ++i) {
      if (text.find(before + std::to_string(i) + after) != std::string::npos)
        return i;
    }
    return -1;
  };
  int mixed = 0;
  for (int round = 0; round < 3; ++round) {
    std::vector<pid_t> pids;
    for (int i = 0; i < kRuns; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        if (chdir(dir.Path("s" + std::to_string(i)).c_str()) != 0) _exit(126);
        setenv("KIV_SPEC_DEPFILE", "../out/app.d", 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        ExecProgram(BinPath("kivg"),
                    {"-q", "-s", "../out/", "-c", "../out/", "app.kivs"});
      }
      pids.push_back(pid);
    }
    for (pid_t pid : pids) {
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const int spec = whose(dir.Read("out/app.kivec"), "p_", "_q");
    const int header = whose(dir.Read("out/app.h"), "Mark_", "_");
    const int source = whose(dir.Read("out/app.c"), "Mark_", "_");
    const int listed = whose(dir.Read("out/app.d"), "/s", "/app.kivs");
    EXPECT_NE(header, -1);
    if (spec != header || header != source || source != listed) ++mixed;
    EXPECT_EQ(TemporariesIn(dir), 0);
  }
  EXPECT_EQ(mixed, 0);
}

// A temporary of one of this run's outputs whose maker is gone (nobody
// holds its lock) is removed; one still held, one of another output and a
// file that only looks alike stay.
TEST(KivgCommit, StaleTemporariesOfGoneRunsAreRemoved) {
  TempDir dir;
  dir.Write("app.kivs", "x = 1\n");
  const std::vector<std::string> stale = {"app.c.kivg-tmp-4000000",
                                          "app.h.kivg-tmp-12-3"};
  const std::vector<std::string> kept = {"app.kivec.kivg-tmp-77",
                                         "other.c.kivg-tmp-5",
                                         "app.c.kivg-tmp-x", "app.c.kivg-tmp-"};
  for (const std::string& name : stale) dir.Write(name, "stale");
  for (const std::string& name : kept) dir.Write(name, "kept");
  const int held = open(dir.Path("app.kivec.kivg-tmp-77").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_SH), 0);
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  close(held);
  EXPECT_EQ(result.status, 0) << result.err;
  for (const std::string& name : stale) EXPECT_FALSE(dir.Exists(name)) << name;
  for (const std::string& name : kept) EXPECT_TRUE(dir.Exists(name)) << name;
}

}  // namespace
