// The dependency file kivg writes when KIV_SPEC_DEPFILE names one: which
// files it lists, how it escapes their names, and that a failed run leaves
// none behind.
#include "generator/driver/dependency_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "tests/generator/build_tool.h"
#include "tests/generator/device_node.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

struct DepfileRun {
  ProgramResult result;
  std::string dir;  // the scratch directory as kivg's getcwd sees it
  bool written = false;
  std::string depfile;
};

DepfileRun RunWithDepfile(const TempDir& dir, const Files& files,
                          const std::vector<std::string>& args,
                          const char* specInclude = "") {
  for (const auto& [name, content] : files) dir.Write(name, content);
  RunOptions options;
  options.workDir = dir.path();
  options.env = {
      {"KIV_SPEC_INCLUDE",
       specInclude ? std::optional<std::string>(specInclude) : std::nullopt},
      {"KIV_SPEC_DEPFILE", std::string("deps.d")}};
  DepfileRun run;
  run.result = RunProgram(BinPath("kivg"), args, options);
  run.dir = std::filesystem::canonical(dir.path()).string();
  run.written = dir.Exists("deps.d");
  if (run.written) run.depfile = dir.Read("deps.d");
  return run;
}

TEST(DependencyFile, ListsEveryFileReadOnceInReadingOrder) {
  TempDir dir;
  // m is imported under two aliases and common is included by two modules
  // (once through the search path, once as "./common"): each is listed once.
  const DepfileRun run = RunWithDepfile(
      dir,
      {{"app.kivs",
        "include common\nimport m as first\nimport m as second\nimport n\n"},
       {"common.kivs", "shared = 1\n"},
       {"mods/m.kivs", "include part\ndef f(a) = F\n"},
       {"mods/part.kivs", "p = 2\n"},
       {"mods/n.kivs", "include \"./common\"\n"}},
      {"app.kivs"}, ";mods");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.out,
            "Writing spec to app.kivec\nWriting code to app.h and app.c\n");
  // Each prerequisite is also a target without prerequisites, so that a
  // deleted include does not stop make.
  EXPECT_EQ(run.depfile,
            "app.kivec app.h app.c: " + run.dir + "/app.kivs \\\n " + run.dir +
                "/common.kivs \\\n " + run.dir + "/mods/m.kivs \\\n " +
                run.dir + "/mods/part.kivs \\\n " + run.dir +
                "/mods/n.kivs\n"
                "\n" +
                run.dir +
                "/app.kivs:\n"
                "\n" +
                run.dir +
                "/common.kivs:\n"
                "\n" +
                run.dir +
                "/mods/m.kivs:\n"
                "\n" +
                run.dir +
                "/mods/part.kivs:\n"
                "\n" +
                run.dir + "/mods/n.kivs:\n");
}

TEST(DependencyFile, EscapesSpacesDollarsAndHashes) {
  TempDir dir;
  dir.MakeDir("out dir");
  const DepfileRun run = RunWithDepfile(
      dir,
      {{"src/a b.kivs", "include \"./odd #1\"\nimport m\n"},
       {"odd #1.kivs", ""},
       {"lib $x/m.kivs", ""}},
      {"-q", "-s", "out dir/", "-c", "out dir/", "src/a b.kivs"}, "lib $x");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  const std::string at = *kivg::SpellDependencyPath(run.dir);
  EXPECT_EQ(run.depfile,
            "out\\ dir/a\\ b.kivec out\\ dir/a\\ b.h out\\ dir/a\\ b.c: " + at +
                "/src/a\\ b.kivs \\\n " + at + "/odd\\ \\#1.kivs \\\n " + at +
                "/lib\\ $$x/m.kivs\n"
                "\n" +
                at +
                "/src/a\\ b.kivs:\n"
                "\n" +
                at +
                "/odd\\ \\#1.kivs:\n"
                "\n" +
                at + "/lib\\ $$x/m.kivs:\n");
}

// What make and Ninja both read back as the path, or nothing where no
// spelling does.
TEST(DependencyFile, SpellDependencyPath) {
  const struct {
    std::string path;
    std::optional<std::string> spelled;
  } cases[] = {
      {"plain/app.kivs", "plain/app.kivs"},
      {"a b", "a\\ b"},
      {"cost$1#2:3", "cost$$1\\#2\\:3"},
      // Both readers halve a backslash run before a space.
      {"dir\\ x", "dir\\\\\\ x"},
      {"win\\path", "win\\path"},
      {"f(1)%{x}=y", std::nullopt},
      {"f(1)%{x}!@,+~-", "f(1)%{x}!@,+~-"},
      {"a[1", "a[1"},
      {"a]1[", "a]1["},
      {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"},
      {"a\tb", std::nullopt},
      {"a\nb", std::nullopt},
      {"a;b", std::nullopt},
      {"a|b", std::nullopt},
      {"a*b", std::nullopt},
      {"a?b", std::nullopt},
      {"a\"b", std::nullopt},
      {"a'b", std::nullopt},
      {"a^b&c", std::nullopt},
      {"a<b>c", std::nullopt},
      {"a`b", std::nullopt},
      {"a[b]c", std::nullopt},
      {"~user/x", std::nullopt},
      {"dir\\#x", std::nullopt},
      {"dir\\:x", std::nullopt},
      {"dir\\$x", std::nullopt},
      {"trailing\\", std::nullopt},
      {"trailing:", std::nullopt},
      {"lib(member)", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kivg::SpellDependencyPath(c.path), c.spelled) << c.path;
}

// A failed run leaves no dependency file, whatever ended it; a stale one
// from an earlier run is not touched either.
TEST(DependencyFile, NoneAfterAFailedRun) {
  const struct {
    const char* title;
    Files files;
    int status;
  } cases[] = {
      {"spec error",
       {{"app.kivs", "include inc\n"}, {"inc.kivs", "x = $\n"}},
       1},
      {"missing include", {{"app.kivs", "include nowhere\n"}}, 1},
      {"missing module", {{"app.kivs", "import nowhere\n"}}, 1},
      {"output not creatable",
       {{"app.kivs", "x = 1\n"}, {"out/app.kivec/keep", ""}},
       1},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const DepfileRun run =
        RunWithDepfile(dir, c.files, {"-q", "-s", "out/", "app.kivs"});
    EXPECT_EQ(run.result.status, c.status) << c.title << run.result.err;
    EXPECT_FALSE(run.written) << c.title;
  }
}

// A dependency file that cannot be written leaves the previous outputs as
// they were: putting the new ones into place without it would pair them
// with an older list of prerequisites.
TEST(DependencyFile, UnwritableDepfileIsReported) {
  TempDir dir;
  dir.MakeDir("deps.d");
  const DepfileRun run =
      RunWithDepfile(dir, {{"app.kivs", "x = 1\n"}}, {"-q", "app.kivs"});
  EXPECT_EQ(run.result.status, 2);
  EXPECT_EQ(run.result.err, "Error writing deps.d: Is a directory\n");
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"app.kivs"});
}

// Each prerequisite's own empty rule lets make carry on once an include and
// its file are deleted: kivg runs again, instead of make stopping at a file
// it has no rule for.
TEST(DependencyFile, MakeCarriesOnAfterAnIncludedFileIsDeleted) {
  TempDir dir;
  dir.Write("limits.kivs", "max_level = 10\n");
  dir.Write("app.kivs", "include limits\nx = 1\n");
  dir.Write("Makefile",
            "app.kivec: app.kivs\n\tKIV_SPEC_DEPFILE=app.d "
            "KIV_SPEC_INCLUDE= " +
                BinPath("kivg") + " -q app.kivs\n-include app.d\n");
  RunOptions options;
  options.workDir = dir.path();
  const ProgramResult first = RunProgram("/usr/bin/make", {"-s"}, options);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(dir.Read("app.kivec").find("max_level"), std::string::npos);

  dir.Write("app.kivs", "x = 1\n");
  std::filesystem::remove(dir.Path("limits.kivs"));
  const ProgramResult second = RunProgram("/usr/bin/make", {"-s"}, options);
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(dir.Read("app.kivec").find("max_level"), std::string::npos);
}

TEST(DependencyFile, UnsetOrEmptyVariableWritesNone) {
  for (const char* value : {static_cast<const char*>(nullptr), ""}) {
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    RunOptions options;
    options.workDir = dir.path();
    options.env = {{"KIV_SPEC_DEPFILE",
                    value ? std::optional<std::string>(value) : std::nullopt}};
    const ProgramResult result =
        RunProgram(BinPath("kivg"), {"app.kivs"}, options);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Writing spec to app.kivec\nWriting code to app.h and app.c\n");
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"app.c", "app.h",
                                                     "app.kivec", "app.kivs"}));
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

void MakeNewer(const std::string& path) {
  const struct timespec later[2] = {{time(nullptr) + 10, 0},
                                    {time(nullptr) + 10, 0}};
  utimensat(AT_FDCWD, path.c_str(), later, 0);
}

bool HaveBuildTools() {
  return access("/usr/bin/make", X_OK) == 0 &&
         access("/usr/bin/ninja", X_OK) == 0;
}

// "./sub/../b" where sub is a link elsewhere: the kernel reads the b.kivs
// beside the link's target, not the one a lexical ".." would name. The
// dependency file lists the file read, so an edit of it rebuilds, and a
// decoy where the text seems to point changes nothing.
TEST(DependencyFile, ListsTheFileOpenedThroughLinks) {
  if (!HaveBuildTools()) GTEST_SKIP() << "make and ninja are needed";
  for (bool ninja : {false, true}) {
    SCOPED_TRACE(ninja ? "ninja" : "make");
    TempDir dir;
    dir.Write("deep/b.kivs", "def read() = Read\n");
    dir.MakeDir("deep/inner");
    dir.Write("build/b.kivs", "def decoy() = Decoy\n");
    dir.Write("build/app.kivs", "include \"./sub/../b\"\n");
    ASSERT_EQ(symlink("../deep/inner", dir.Path("build/sub").c_str()), 0);
    const std::string build = dir.Path("build");
    WriteDocumentedRule(build, ninja);
    const ProgramResult first = RunBuild(build, ninja, false);
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_NE(dir.Read("build/app.h").find("Read"), std::string::npos);
    if (!ninja) {
      const std::string real =
          std::filesystem::canonical(dir.Path("deep/b.kivs")).string();
      EXPECT_NE(dir.Read("build/app.kivs.d").find(" " + real + "\n"),
                std::string::npos)
          << dir.Read("build/app.kivs.d");
    }
    EXPECT_TRUE(BuildIsUpToDate(build, ninja));
    MakeNewer(dir.Path("build/b.kivs"));
    EXPECT_TRUE(BuildIsUpToDate(build, ninja));
    MakeNewer(dir.Path("deep/b.kivs"));
    EXPECT_FALSE(BuildIsUpToDate(build, ninja));
  }
}

// An included file in a directory whose name holds each kind of character,
// built with real make and Ninja. A path both can read is written so that
// they do: the build stays up to date until the file is edited. A path that
// cannot be written makes every build run kivg again, said once on
// standard error; no build ever fails or misses the edit.
TEST(DependencyFile, EveryCharacterClassThroughMakeAndNinja) {
  if (!HaveBuildTools()) GTEST_SKIP() << "make and ninja are needed";
  const struct {
    const char* title;
    std::string name;     // in the directory's name
    std::string escaped;  // the same in a spec's string
    bool spellable;
  } cases[] = {
      {"letters, digits and marks", "a-Z_9.+,@!{}%()", "a-Z_9.+,@!{}%()", true},
      {"space", " ", " ", true},
      {"hash", "#", "#", true},
      {"dollar", "$", "$", true},
      {"colon", ":", ":", true},
      {"backslash", "\\b", "\\\\b", true},
      {"backslash before a space", "\\ ", "\\\\ ", true},
      {"bytes above 0x7f", "\xc3\xa9", "\\xc3\\xa9", true},
      {"lone bracket", "[", "[", true},
      {"bracket pair", "[1]", "[1]", false},
      {"tab", "\t", "\\t", false},
      {"newline", "\n", "\\n", false},
      {"carriage return", "\r", "\\r", false},
      {"control byte", "\x01", "\\x01", false},
      {"semicolon", ";", ";", false},
      {"bar", "|", "|", false},
      {"equals", "=", "=", false},
      {"asterisk", "*", "*", false},
      {"question mark", "?", "?", false},
      {"double quote", "\"", "\\\"", false},
      {"single quote", "'", "\\'", false},
      {"caret and ampersand", "^&", "^&", false},
      {"angle brackets", "<>", "<>", false},
      {"backquote", "`", "`", false},
      {"backslash before a hash", "\\#", "\\\\#", false},
      {"backslash before a colon", "\\:", "\\\\:", false},
  };
  for (const auto& c : cases) {
    for (bool ninja : {false, true}) {
      SCOPED_TRACE(std::string(c.title) + (ninja ? " / ninja" : " / make"));
      TempDir dir;
      const std::string part = "in" + c.name + "x/part.kivs";
      dir.Write(part, "def p() = P\n");
      dir.Write("app.kivs", "include \"./in" + c.escaped + "x/part\"\n");
      WriteDocumentedRule(dir.path(), ninja);
      const ProgramResult first = RunBuild(dir.path(), ninja, false);
      ASSERT_EQ(first.status, 0) << first.out << first.err;
      EXPECT_NE(dir.Read("app.h").find("KivRunResult P"), std::string::npos);
      const std::string warning = "cannot name ";
      const size_t warned = (ninja ? first.out : first.err).find(warning);
      EXPECT_EQ(warned != std::string::npos, !c.spellable)
          << first.out << first.err;
      EXPECT_EQ(BuildIsUpToDate(dir.path(), ninja), c.spellable);
      EXPECT_EQ(RunBuild(dir.path(), ninja, false).status, 0);
      MakeNewer(dir.Path(part));
      EXPECT_FALSE(BuildIsUpToDate(dir.path(), ninja));
    }
  }
}

}  // namespace
