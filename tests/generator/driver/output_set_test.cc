// The three outputs as a build tool sees them: interrupts while they are
// written, regeneration that changes nothing, symbolic links at their paths,
// and outputs that alias the sources or each other.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/generator/kivg_run.h"
#include "tests/support/run_program.h"

namespace {

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

// True once a temporary of `pid` holds content, that is, once the writers
// have begun (the temporaries are created empty before any source is read).
// A temporary without a name is seen through the process's descriptors.
bool WritingHasBegun(pid_t pid) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  for (int fd = 3; fd < 64; ++fd) {
    const std::string link = fds + "/" + std::to_string(fd);
    char target[4096];
    const ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
    if (size <= 0) continue;
    const std::string name(target, static_cast<size_t>(size));
    struct stat status;
    if ((name.find("(deleted)") != std::string::npos ||
         name.find(".kivg-tmp-") != std::string::npos) &&
        stat(link.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size > 0)
      return true;
  }
  return false;
}

TEST(KivgInterrupted, PreviousOutputsSurviveAnInterruptWhileWriting) {
  // The temporaries have no name while they are written, so even SIGKILL
  // leaves none.
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGKILL}) {
    SCOPED_TRACE(strsignal(number));
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
    while (!WritingHasBegun(pid)) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        exited = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_FALSE(exited) << "kivg ended before it could be interrupted";
    kill(pid, number);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), number);

    for (size_t i = 0; i < kOutputs.size(); ++i) {
      EXPECT_EQ(dir.Read(kOutputs[i]), before[i]) << kOutputs[i];
      EXPECT_TRUE(
          SameTime(ModifiedTime(dir.Path(kOutputs[i])), {1000000000, 0}))
          << kOutputs[i];
    }
    std::vector<std::string> expected = {"app.c", "app.h", "app.kivec",
                                         "app.kivs"};
    const std::vector<std::string> files = dir.Files();
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

int TemporariesLeft(const TempDir& dir) {
  int count = 0;
  for (const std::string& file : dir.Files())
    count += file.find(".kivg-tmp-") != std::string::npos;
  return count;
}

// Runs kivg with its standard output on a pipe; returns the status and what
// came through the pipe.
std::pair<int, std::string> RunKivgIntoPipe(
    const TempDir& dir, const std::vector<std::string>& args,
    const std::string& depfile) {
  int ends[2];
  if (pipe(ends) != 0) return {-1, ""};
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    setenv("KIV_SPEC_DEPFILE", depfile.c_str(), 1);
    dup2(ends[1], 1);
    close(ends[0]);
    ExecProgram(BinPath("kivg"), args);
  }
  close(ends[1]);
  std::string piped;
  char buffer[4096];
  for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;)
    piped.append(buffer, static_cast<size_t>(got));
  close(ends[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          piped};
}

std::string LinkTarget(const std::string& path) {
  char target[4096];
  const ssize_t size = readlink(path.c_str(), target, sizeof target);
  return size < 0 ? std::string() : std::string(target, size);
}

// A dependency file (or output) whose path leads, through links, to a
// stream or to one of kivg's own descriptors is written into it and never
// replaced; a link to anything else is replaced and never written through.
TEST(KivgOutputs, PathsThatLeadToStreamsAreWrittenDirectly) {
  const struct {
    const char* title;
    std::string depfile;
    std::function<void(const TempDir&)> prepare;
  } streams[] = {
      {"/dev/fd/1", "/dev/fd/1", [](const TempDir&) {}},
      {"/dev/stdout", "/dev/stdout", [](const TempDir&) {}},
      {"a link of one's own to /proc/self/fd/1", "out.d",
       [](const TempDir& d) {
         symlink("/proc/self/fd/1", d.Path("out.d").c_str());
       }},
  };
  // Where the system's own links are not as usual, their rows are left
  // out: kivg must never be made to replace them.
  const bool systemLinks = LinkTarget("/dev/stdout") == "/proc/self/fd/1" &&
                           LinkTarget("/dev/fd") == "/proc/self/fd";
  for (const auto& c : streams) {
    SCOPED_TRACE(c.title);
    if (c.depfile[0] == '/' && !systemLinks) continue;
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    c.prepare(dir);
    const auto [status, piped] =
        RunKivgIntoPipe(dir, {"-q", "app.kivs"}, c.depfile);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(piped.compare(0, 23, "app.kivec app.h app.c: "), 0) << piped;
    if (systemLinks) {
      EXPECT_EQ(LinkTarget("/dev/stdout"), "/proc/self/fd/1");
    }
    if (c.depfile == "out.d") {
      EXPECT_EQ(LinkTarget(dir.Path("out.d")), "/proc/self/fd/1");
    }
  }

  // Standard output on a regular file: written at its place, the link kept.
  {
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    symlink("/proc/self/fd/1", dir.Path("out.d").c_str());
    RunOptions options;
    options.workDir = dir.path();
    options.env = {{"KIV_SPEC_DEPFILE", std::string("out.d")}};
    const ProgramResult result =
        RunProgram(BinPath("kivg"), {"app.kivs"}, options);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.compare(0, 58,
                                 "Writing spec to app.kivec\nWriting code to "
                                 "app.h and app.c\n"),
              0)
        << result.out;
    EXPECT_NE(result.out.find("app.kivec app.h app.c: "), std::string::npos);
    EXPECT_EQ(LinkTarget(dir.Path("out.d")), "/proc/self/fd/1");
  }

  // A FIFO behind a link, as the dependency file and as an output.
  for (const char* linked : {"deps.d", "app.kivec"}) {
    SCOPED_TRACE(linked);
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink("fifo", dir.Path(linked).c_str()), 0);
    const int reader =
        open(dir.Path("fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    RunOptions options;
    options.workDir = dir.path();
    options.env = {{"KIV_SPEC_DEPFILE", std::string("deps.d")}};
    const ProgramResult result =
        RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options);
    char buffer[4096];
    const ssize_t got = read(reader, buffer, sizeof buffer);
    close(reader);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_GT(got, 0);
    EXPECT_EQ(LinkTarget(dir.Path(linked)), "fifo");
  }

  // Links to what is no stream are replaced; what they point to stays.
  const struct {
    const char* title;
    std::function<void(const TempDir&)> prepare;
  } replaced[] = {
      {"regular file", [](const TempDir& d) { d.Write("target", "keep\n"); }},
      {"directory", [](const TempDir& d) { d.MakeDir("target"); }},
      {"nothing", [](const TempDir&) {}},
  };
  for (const auto& c : replaced) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    c.prepare(dir);
    symlink("target", dir.Path("deps.d").c_str());
    const std::vector<std::string> before = Snapshot(dir);
    RunOptions options;
    options.workDir = dir.path();
    options.env = {{"KIV_SPEC_DEPFILE", std::string("deps.d")}};
    const ProgramResult result =
        RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options);
    EXPECT_EQ(result.status, 0) << result.err;
    struct stat status;
    ASSERT_EQ(lstat(dir.Path("deps.d").c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    if (std::string(c.title) == "regular file") {
      EXPECT_EQ(dir.Read("target"), "keep\n");
    }
    if (std::string(c.title) == "directory") {
      EXPECT_TRUE(std::filesystem::is_directory(dir.Path("target")));
    }
  }
}

// A file size limit is a write error like a full disk: no signal kills the
// run, nothing is put into place and no temporary is left.
TEST(KivgOutputs, FileSizeLimitIsAWriteError) {
  TempDir dir;
  dir.Write("app.kivs", "def f(a) = F\n");
  RunOptions options;
  options.workDir = dir.path();
  // 512-byte blocks: the header (347 bytes) fits, the C source does not.
  const ProgramResult result = RunProgram(
      "/bin/sh",
      {"-c", "ulimit -f 1; exec " + BinPath("kivg") + " -q app.kivs"}, options);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "Error writing app.c: File too large\n");
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"app.kivs"});
}

// Names that fit the file system are written whatever a temporary's name
// would add: a file name near NAME_MAX, a path near PATH_MAX.
TEST(KivgOutputs, NamesThatFitAreWritten) {
  {
    TempDir dir;
    const std::string name(245, 'n');  // name.kivec is 251 bytes
    dir.Write(name + ".kivs", "x = 1\n");
    const ProgramResult result = RunKivg(dir, {"-q", name + ".kivs"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(dir.Files(),
              (std::vector<std::string>{name + ".c", name + ".h",
                                        name + ".kivec", name + ".kivs"}));
  }
  {
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    dir.MakeDir("out");
    std::string near = "out/";
    while (near.size() + 2 + std::string("app.kivec").size() < 4090)
      near = "./" + near;
    const ProgramResult result =
        RunKivg(dir, {"-q", "-s", near, "-c", near, "app.kivs"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(dir.Exists("out/app.kivec"));
    EXPECT_TRUE(dir.Exists("out/app.c"));
  }
}

// Where no temporary can be put beside an output, or the output cannot be
// renamed over, it is written in place; the outputs already in place stay.
TEST(KivgOutputs, OutputsThatCannotBeReplacedAreWrittenInPlace) {
  {
    // A directory the user cannot write, holding outputs the user can.
    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    dir.Write("app.kivs", "def f(a) = F\n");
    for (const std::string& output : kOutputs) {
      dir.Write("out/" + output, "old\n");
      chmod(dir.Path("out/" + output).c_str(), 0666);
    }
    chmod(dir.Path("out").c_str(), 0555);
    RunOptions options;
    options.workDir = dir.path();
    options.unprivileged = true;
    const ProgramResult result =
        RunProgram(BinPath("kivg"),
                   {"-q", "-s", "out/", "-c", "out/", "app.kivs"}, options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(dir.Read("out/app.h").find("KivRunResult F"), std::string::npos);
    EXPECT_EQ(dir.Files(),
              (std::vector<std::string>{"app.kivs", "out/app.c", "out/app.h",
                                        "out/app.kivec"}));
  }
  {
    // A bind mount at an output: rename gives EBUSY.
    TempDir dir;
    dir.Write("app.kivs", "def f(a) = F\n");
    dir.Write("app.c", "old\n");
    dir.Write("elsewhere.c", "");
    if (mount(dir.Path("elsewhere.c").c_str(), dir.Path("app.c").c_str(),
              nullptr, MS_BIND, nullptr) != 0)
      GTEST_SKIP() << "a bind mount needs privileges";
    const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
    const std::string written = dir.Read("app.c");
    umount(dir.Path("app.c").c_str());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(written.find("return F(engine, _a, returnValue);"),
              std::string::npos);
    EXPECT_EQ(dir.Read("elsewhere.c"), written);
    EXPECT_NE(dir.Read("app.h").find("KivRunResult F"), std::string::npos);
    EXPECT_EQ(TemporariesLeft(dir), 0);
  }
}

}  // namespace
