// kivg's outputs and inputs under hostile conditions: interrupts while the
// outputs are written, regeneration that changes nothing, outputs that alias
// inputs, devices and FIFOs in place of files, runaway input and failing
// standard output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "generator/driver/run_sequence.h"
#include "generator/frontend/lexer.h"
#include "tests/generator/device_node.h"
#include "tests/generator/kivg_run.h"
#include "tests/support/run_program.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

const std::vector<std::string> kOutputs = {"app.kivec", "app.h", "app.c"};

// A spec whose outputs take a while to write: tens of megabytes of C.
std::string LargeSpec(int functions, const std::string& tail = "") {
  std::string text;
  for (int i = 0; i < functions; ++i) {
    const std::string n = std::to_string(i);
    text += "def f" + n + "(a, b=1, c=\"x\", *d, **e) = F" + n + "\n";
  }
  return text + tail;
}

struct timespec ModifiedTime(const std::string& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mtim;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Moves the file's time stamps into the past, so that a rewrite shows even
// within the file system's time resolution.
void MakeOld(const std::string& path) {
  struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  utimensat(AT_FDCWD, path.c_str(), old, 0);
}

// Starts kivg without waiting for it; interrupts reach it with their default
// actions whatever the test runner ignores.
pid_t StartKivg(const TempDir& dir, const std::vector<std::string>& args) {
  const std::string program = BinPath("kivg");
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (chdir(dir.path().c_str()) != 0) _exit(126);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) signal(number, SIG_DFL);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, 0);
  dup2(null, 1);
  dup2(null, 2);
  ExecProgram(program, args);
}

// True once a temporary of `pid` holds content, that is, once the writers
// have begun (the temporaries are created empty before any source is read).
bool WritingHasBegun(const TempDir& dir, pid_t pid) {
  for (const std::string& output : kOutputs) {
    struct stat status;
    const std::string temporary =
        dir.Path(output + ".kivg-tmp-" + std::to_string(pid));
    if (stat(temporary.c_str(), &status) == 0 && status.st_size > 0)
      return true;
  }
  return false;
}

TEST(KivgInterrupted, PreviousOutputsSurviveAnInterruptWhileWriting) {
  const struct {
    int number;
    bool temporariesRemoved;
  } cases[] = {{SIGINT, true}, {SIGTERM, true}, {SIGKILL, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(strsignal(c.number));
    TempDir dir;
    dir.Write("app.kivs", LargeSpec(15000));
    ASSERT_EQ(RunKivg(dir, {"-q", "app.kivs"}).status, 0);
    std::vector<std::string> before;
    for (const std::string& output : kOutputs) {
      MakeOld(dir.Path(output));
      before.push_back(dir.Read(output));
    }
    // The new spec's outputs would differ from the old ones in every file.
    dir.Write("app.kivs", LargeSpec(15000, "def g(a) = G\n"));

    const pid_t pid = StartKivg(dir, {"-q", "app.kivs"});
    int status = 0;
    bool exited = false;
    while (!WritingHasBegun(dir, pid)) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        exited = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_FALSE(exited) << "kivg ended before it could be interrupted";
    kill(pid, c.number);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), c.number);

    for (size_t i = 0; i < kOutputs.size(); ++i) {
      EXPECT_EQ(dir.Read(kOutputs[i]), before[i]) << kOutputs[i];
      EXPECT_TRUE(
          SameTime(ModifiedTime(dir.Path(kOutputs[i])), {1000000000, 0}))
          << kOutputs[i];
    }
    std::vector<std::string> expected = {"app.c", "app.h", "app.kivec",
                                         "app.kivs"};
    std::vector<std::string> files = dir.Files();
    if (!c.temporariesRemoved) {
      // A stray temporary says what it is and whose it was.
      std::vector<std::string> kept;
      for (const std::string& file : files) {
        if (file.find(".kivg-tmp-" + std::to_string(pid)) == std::string::npos)
          kept.push_back(file);
      }
      files = kept;
    }
    EXPECT_EQ(files, expected);
  }
}

TEST(KivgOutputs, UnchangedRegenerationKeepsTimeStamps) {
  TempDir dir;
  RunOptions options;
  options.workDir = dir.path();
  options.env = {{"KIV_SPEC_DEPFILE", std::string("app.d")}};
  const std::vector<std::string> written = {"app.kivec", "app.h", "app.c",
                                            "app.d"};
  dir.Write("app.kivs", "def f(a, b=1) = F\n");
  ASSERT_EQ(RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options).status, 0);
  std::vector<std::string> before;
  for (const std::string& file : written) {
    MakeOld(dir.Path(file));
    before.push_back(dir.Read(file));
  }

  // A comment changes none of the outputs.
  dir.Write("app.kivs", "# the lamp\ndef f(a, b=1) = F\n");
  const ProgramResult again =
      RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options);
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.err, "");
  for (size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(dir.Read(written[i]), before[i]) << written[i];
    EXPECT_TRUE(SameTime(ModifiedTime(dir.Path(written[i])), {1000000000, 0}))
        << written[i];
  }

  // A new default changes the spec file and the C source, not the header.
  dir.Write("app.kivs", "def f(a, b=2) = F\n");
  ASSERT_EQ(RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options).status, 0);
  EXPECT_NE(dir.Read("app.kivec"), before[0]);
  EXPECT_TRUE(SameTime(ModifiedTime(dir.Path("app.h")), {1000000000, 0}));
  EXPECT_FALSE(SameTime(ModifiedTime(dir.Path("app.c")), {1000000000, 0}));
  EXPECT_FALSE(SameTime(ModifiedTime(dir.Path("app.kivec")), {1000000000, 0}));
}

// Renaming into place replaces a symbolic link at an output path; the file
// it pointed to is not written.
TEST(KivgOutputs, SymbolicLinkAtAnOutputIsReplacedNotWrittenThrough) {
  TempDir dir;
  dir.Write("app.kivs", "def f(a) = F\n");
  dir.Write("elsewhere.h", "keep\n");
  ASSERT_EQ(symlink("elsewhere.h", dir.Path("app.h").c_str()), 0);
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(dir.Read("elsewhere.h"), "keep\n");
  struct stat status;
  ASSERT_EQ(lstat(dir.Path("app.h").c_str(), &status), 0);
  EXPECT_TRUE(S_ISREG(status.st_mode));
  EXPECT_NE(dir.Read("app.h").find("KivAppSpec_app"), std::string::npos);
}

// What the directory holds: each regular file's content, and each link.
std::vector<std::string> Snapshot(const TempDir& dir) {
  std::vector<std::string> shown;
  for (const std::string& file : dir.Files()) {
    char target[256];
    const ssize_t size =
        readlink(dir.Path(file).c_str(), target, sizeof target - 1);
    shown.push_back(file + (size >= 0 ? " -> " + std::string(target, size)
                                      : ": " + dir.Read(file)));
  }
  return shown;
}

// An output that is SOURCE, an input or another output is refused before
// anything is written, and the disk stays as it was.
TEST(KivgOutputs, AliasedFilesAreRefusedAndNothingChanges) {
  const struct {
    const char* title;
    std::function<void(const TempDir&)> prepare;
    std::vector<std::string> args;
    const char* depfile;
    std::string err;
  } cases[] = {
      {"spec file linked to the source",
       [](const TempDir& d) {
         symlink("app.kivs", d.Path("app.kivec").c_str());
       },
       {"-q", "app.kivs"},
       nullptr,
       "Error creating app.kivec: Same file as app.kivs\n"},
      {"header hard-linked to the source",
       [](const TempDir& d) {
         link(d.Path("app.kivs").c_str(), d.Path("app.h").c_str());
       },
       {"-q", "app.kivs"},
       nullptr,
       "Error creating app.h: Same file as app.kivs\n"},
      {"header hard-linked to the C source",
       [](const TempDir& d) {
         d.Write("app.c", "old\n");
         link(d.Path("app.c").c_str(), d.Path("app.h").c_str());
       },
       {"-q", "app.kivs"},
       nullptr,
       "Error creating app.c: Same file as app.h\n"},
      {"source named through the code option",
       [](const TempDir& d) { symlink("app.kivs", d.Path("src.c").c_str()); },
       {"-q", "-c", "src", "app.kivs"},
       nullptr,
       "Error creating src.c: Same file as app.kivs\n"},
      {"dependency file on the source",
       [](const TempDir&) {},
       {"-q", "app.kivs"},
       "./app.kivs",
       "Error creating ./app.kivs: Same file as app.kivs\n"},
      {"dependency file on an output",
       [](const TempDir&) {},
       {"-q", "app.kivs"},
       "app.c",
       "Error creating app.c: Same file as app.c\n"},
      {"dependency file linked to the spec file",
       [](const TempDir& d) {
         d.Write("app.kivec", "old\n");
         symlink("app.kivec", d.Path("app.d").c_str());
       },
       {"-q", "app.kivs"},
       "app.d",
       "Error creating app.d: Same file as app.kivec\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    c.prepare(dir);
    const std::vector<std::string> before = Snapshot(dir);
    RunOptions options;
    options.workDir = dir.path();
    options.env = {
        {"KIV_SPEC_DEPFILE",
         c.depfile ? std::optional<std::string>(c.depfile) : std::nullopt}};
    const ProgramResult result = RunProgram(BinPath("kivg"), c.args, options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Snapshot(dir), before);
  }
}

// A source that turns out to be an output is reported where it is opened;
// the outputs there are kept, since they are the user's inputs as well.
TEST(KivgOutputs, SourceThatIsAnOutputIsRefusedWhenOpened) {
  const struct {
    const char* title;
    std::string spec;
    std::string err;
  } cases[] = {
      {"include", "x = 1\ninclude \"./gen\"\n",
       "app.kivs:2:9: Error opening ./gen.kivs: Same file as app.h\n"},
      {"import", "import gen as g\n",
       "app.kivs:1:15: Error opening gen.kivs: Same file as app.h\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    dir.Write("app.kivs", c.spec);
    dir.Write("app.h", "y = 2\n");
    ASSERT_EQ(symlink("app.h", dir.Path("gen.kivs").c_str()), 0);
    const std::vector<std::string> before = Snapshot(dir);
    const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"}, "");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Snapshot(dir), before);
  }
}

// A dependency file that is a device is written into, reported when that
// fails, and never replaced or removed.
TEST(KivgDevices, DependencyFileOnACharacterDevice) {
  const struct {
    const char* title;
    dev_t device;
    int status;
    std::string err;
  } cases[] = {
      {"null device", NullDevice(), 0, ""},
      {"full device", FullDevice(), 2,
       "Error writing deps.d: No space left on device\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    if (!MakeDeviceNode(dir.Path("deps.d"), c.device))
      GTEST_SKIP() << "making a device node needs root";
    RunOptions options;
    options.workDir = dir.path();
    options.env = {{"KIV_SPEC_DEPFILE", std::string("deps.d")}};
    const ProgramResult result =
        RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_TRUE(IsCharacterDevice(dir.Path("deps.d")));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"app.c", "app.h",
                                                     "app.kivec", "app.kivs"}));
  }
}

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

// A 50 MB unterminated string makes one short line, not 50 MB of raw bytes.
TEST(KivgLimits, HugeBadTokenIsCut) {
  TempDir dir;
  dir.Write("app.kivs", "x = \"\x1b[2J" + std::string(50 << 20, 'a') + "\n");
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "app.kivs:1:5: Bad token encountered: '\\x1b[2J" +
                            std::string(60, 'a') + "...'\nEnded in ERROR\n");
}

TEST(ShownTokenText, EscapesAndCuts) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"$", "$"},
      {std::string("\0", 1), "\\x00"},
      {"tab\there", "tab\\x09here"},
      {"\x7f\x80\xff", "\\x7f\\x80\\xff"},
      {" ~", " ~"},
      {std::string(64, 'x'), std::string(64, 'x')},
      {std::string(65, 'x'), std::string(64, 'x') + "..."},
      {std::string(63, 'x') + "\n\n", std::string(63, 'x') + "\\x0a..."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kivg::ShownTokenText(c.text), c.shown) << c.shown;
}

// Line and column count in 64 bits: a line longer than 2^31 or 2^32
// characters neither overflows nor wraps. The lexer starts counting near
// the limits instead of reading a file that long.
TEST(LexerCounters, CountPastThirtyTwoBits) {
  const struct {
    int64_t line, column;
    std::string source;
    std::string location;  // of the bad token
  } cases[] = {
      {1, 2147483646, "ab $", "x.kivs:1:2147483649"},
      {1, 4294967294, "ab $", "x.kivs:1:4294967297"},
      {4294967295, 1, "a\n$", "x.kivs:4294967296:1"},
      {int64_t{1} << 40, 1, "$", "x.kivs:1099511627776:1"},
  };
  for (const auto& c : cases) {
    kivg::Lexer lexer(c.source, "x.kivs");
    lexer.SetInputPosition(c.line, c.column);
    std::string location;
    for (int i = 0; i < 10 && location.empty(); ++i) {
      std::unique_ptr<kivg::Token> token(lexer.NextToken());
      if (token->type == kivg::TokenType::BAD)
        location = kivg::FormatLocation(token->location);
      if (token->type == kivg::TokenType::END) break;
    }
    EXPECT_EQ(location, c.location);
  }
}

}  // namespace
