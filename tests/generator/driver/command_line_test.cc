// kivg's command line as a user meets it: usage and version texts, option
// rules, SOURCE checks, derived output paths and their exit statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/generator/device_node.h"
#include "tests/generator/kivg_run.h"

namespace {

const char kUsage[] =
    "Usage:      kivg [OPTION]... [--] SOURCE\n"
    "\n"
    "Generate binary application specification file and C code from the "
    "source\n"
    "file (*.kivs) given as SOURCE.\n"
    "\n"
    "Use -- before the SOURCE argument if it starts with an option prefix.\n"
    "\n"
    "Options (may be prefixed by / instead of -):\n"
    "-c CODE     Write generated C code files to CODE.h and CODE.c instead of "
    "basing\n"
    "            file names on the SOURCE file name. If CODE ends with \\, the "
    "output\n"
    "            file names will be based on SOURCE and the files will be "
    "written\n"
    "            into the directory given by CODE. In this case, the directory "
    "must\n"
    "            already exist.\n"
    "-h          Print usage information and exit.\n"
    "-q          Quiet. Don't output usual generator information.\n"
    "-s SPEC     Write the binary spec file to SPEC.kivec instead of basing "
    "the file\n"
    "            name on the SOURCE file name. If SPEC ends with .kivec, the "
    "name\n"
    "            will be used as is. If SPEC ends with \\, the output file "
    "name will\n"
    "            be based on SOURCE and the file will be written into the "
    "directory\n"
    "            given by SPEC. In this case, the directory must already "
    "exist.\n"
    "-v          Print version information and exit.\n";

const char kVersion[] = "Kiv generator version 1.3.1.0\n";

struct CommandCase {
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

// Cases that end before any source is read; the directory holds app.kivs and
// x.kivs, and nothing may be written next to them.
TEST(KivgCommandLine, EndsBeforeReadingWithExactTexts) {
  const std::vector<CommandCase> cases = {
      {{}, 1, "", kUsage},
      {{"-q"}, 1, "", kUsage},
      {{"-q", "-q"}, 1, "", kUsage},
      {{"-h"}, 0, "", kUsage},
      {{"/?"}, 0, "", kUsage},
      {{"-q", "-h", "-x"}, 0, "", kUsage},
      {{"-x", "-h"}, 1, "", "Invalid option: -x\n"},
      {{"-v"}, 0, kVersion, ""},
      {{"/v", "app.kivs", "extra"}, 0, kVersion, ""},
      {{"-v", "-x", "app.kivs"}, 1, "", "Invalid option: -x\n"},
      {{"-v", "-h"}, 0, "", kUsage},
      {{"-c"}, 1, "", kUsage},
      {{"-q", "-s"}, 1, "", kUsage},
      {{"-/", "x.kivs"}, 1, "", "Invalid option: -/\n"},
      {{"/-", "x.kivs"}, 1, "", "Invalid option: /-\n"},
      {{"-qq", "x.kivs"}, 1, "", "Invalid option: -qq\n"},
      {{"-", "x.kivs"}, 1, "", "Invalid option: -\n"},
      {{"a.kivs", "b.kivs"}, 1, "", kUsage},
      {{"app.kivs", "-q"}, 1, "", kUsage},
      {{"app.KIVS"}, 1, "", "File name must end with .kivs\n"},
      {{".kivs"}, 1, "", "File name must end with .kivs\n"},
      {{"dir/.kivs"}, 1, "", "Invalid source file name: dir/.kivs\n"},
      // The header's name goes between the quotes of the C source's
      // #include line, which these would end, break or point elsewhere.
      {{"-c", "q\"b", "app.kivs"}, 1, "", "Invalid code file name: q\"b\n"},
      {{"-c", "a\\b", "app.kivs"}, 1, "", "Invalid code file name: a\\b\n"},
      {{"-c", "gen\\", "app.kivs"}, 1, "", "Invalid code file name: gen\\\n"},
      {{"-c", "esc\x1b]0;t\x07", "app.kivs"},
       1,
       "",
       "Invalid code file name: esc\x1b]0;t\x07\n"},
      {{"-c", "nl\nx", "app.kivs"}, 1, "", "Invalid code file name: nl\nx\n"},
      {{"-c", "del\x7f", "app.kivs"},
       1,
       "",
       "Invalid code file name: del\x7f\n"},
      {{"missing.kivs"},
       1,
       "",
       "Error opening missing.kivs: No such file or directory\n"},
  };
  for (const CommandCase& c : cases) {
    TempDir dir;
    dir.Write("app.kivs", "");
    dir.Write("x.kivs", "");
    std::string shown;
    for (const std::string& arg : c.args) shown += " " + arg;
    SCOPED_TRACE("kivg" + shown);
    const ProgramResult result = RunKivg(dir, c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"app.kivs", "x.kivs"}));
  }
}

struct NamingCase {
  std::vector<std::string> args;
  std::vector<std::string> dirs;   // made before the run
  std::string writing;             // the two lines printed
  std::vector<std::string> files;  // every file afterwards
};

TEST(KivgCommandLine, DerivesOutputPaths) {
  const std::vector<NamingCase> cases = {
      {{"some/dir/app.kivs"},
       {},
       "Writing spec to app.kivec\nWriting code to app.h and app.c\n",
       {"app.c", "app.h", "app.kivec", "some/dir/app.kivs"}},
      {{"-s", "out/", "-c", "gen/x", "some/dir/app.kivs"},
       {"out", "gen"},
       "Writing spec to out/app.kivec\nWriting code to gen/x.h and gen/x.c\n",
       {"gen/x.c", "gen/x.h", "out/app.kivec", "some/dir/app.kivs"}},
      {{"-s", "spec", "some/dir/app.kivs"},
       {},
       "Writing spec to spec.kivec\nWriting code to app.h and app.c\n",
       {"app.c", "app.h", "some/dir/app.kivs", "spec.kivec"}},
      // A SPEC naming a spec file is used as is.
      {{"-s", "out.kivec", "some/dir/app.kivs"},
       {},
       "Writing spec to out.kivec\nWriting code to app.h and app.c\n",
       {"app.c", "app.h", "out.kivec", "some/dir/app.kivs"}},
      {{"-s", "a", "-s", "b\\", "/c", "gen/", "some\\dir\\app.kivs"},
       {"gen"},
       "Writing spec to b\\app.kivec\nWriting code to gen/app.h and "
       "gen/app.c\n",
       {"b\\app.kivec", "gen/app.c", "gen/app.h", "some\\dir\\app.kivs"}},
      // Only the header's own name lands in the #include line.
      {{"-c", "d\"q/x", "app.kivs"},
       {"d\"q"},
       "Writing spec to app.kivec\nWriting code to d\"q/x.h and d\"q/x.c\n",
       {"app.kivec", "app.kivs", "d\"q/x.c", "d\"q/x.h"}},
  };
  for (const NamingCase& c : cases) {
    TempDir dir;
    dir.Write(c.args.back(), "");
    for (const std::string& d : c.dirs) dir.MakeDir(d);
    SCOPED_TRACE(c.writing);
    const ProgramResult result = RunKivg(dir, c.args);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, c.writing);
    EXPECT_EQ(dir.Files(), c.files);
  }
}

// A tab is a character a quoted #include may hold, in the spec name and
// in the -c value alike.
TEST(KivgCommandLine, TabStaysAllowedInTheIncludedName) {
  const struct {
    std::vector<std::string> args;
    std::string source, include;
  } cases[] = {
      {{"-q", "-c", "t\tb", "app.kivs"}, "t\tb.c", "#include \"t\tb.h\"\n"},
      {{"-q", "a\tb.kivs"}, "a\tb.c", "#include \"a\tb.h\"\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    TempDir dir;
    dir.Write(c.args.back(), "x = 1\n");
    const ProgramResult result = RunKivg(dir, c.args);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    ASSERT_TRUE(dir.Exists(c.source));
    EXPECT_NE(dir.Read(c.source).find(c.include), std::string::npos);
  }
}

TEST(KivgCommandLine, OptionEndMarkersTakeTheNextArgumentAsSource) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--", "-app.kivs"},
        std::vector<std::string>{"//", "-app.kivs"},
        std::vector<std::string>{"-q", "--", "-app.kivs"}}) {
    TempDir dir;
    dir.Write("-app.kivs", "");
    const ProgramResult result = RunKivg(dir, args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(dir.Exists("-app.kivec"));
    EXPECT_TRUE(dir.Exists("-app.h"));
    EXPECT_TRUE(dir.Exists("-app.c"));
  }
}

TEST(KivgCommandLine, QuietWritesNothingToStandardOutput) {
  TempDir dir;
  dir.Write("app.kivs", "def f(a, b=1) = F\n");
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"app.c", "app.h",
                                                   "app.kivec", "app.kivs"}));
}

// A failed creation names the path and leaves no output behind, not even
// the ones created before it.
TEST(KivgCommandLine, CreationFailureRemovesEarlierOutputs) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"-s", "nodir/", "app.kivs"},
       "Error creating nodir/app.kivec: No such file or directory\n"},
      {{"-c", "nodir/x", "app.kivs"},
       "Error creating nodir/x.h: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("app.kivs", "x = 1\n");
    const ProgramResult result = RunKivg(dir, c.args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"app.kivs"});
  }
}

TEST(KivgCommandLine, DirectoryAsSourceIsAnOpenError) {
  TempDir dir;
  dir.MakeDir("app.kivs");
  const ProgramResult result = RunKivg(dir, {"app.kivs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Error opening app.kivs: Is a directory\n");
  EXPECT_EQ(dir.Files(), std::vector<std::string>{});
}

TEST(KivgCommandLine, UnreadableSourceIsAnOpenError) {
  TempDir dir;
  chmod(dir.Write("app.kivs", "x = 1\n").c_str(), 0);
  chmod(dir.path().c_str(), 0755);
  RunOptions asUser;
  asUser.workDir = dir.path();
  asUser.unprivileged = true;
  const ProgramResult result =
      RunProgram(BinPath("kivg"), {"app.kivs"}, asUser);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Error opening app.kivs: Permission denied\n");
}

// Writing a full output fails: status 2, the failure is reported with the
// first error of its stream (not the "Success" of a later call), the device
// stays where it was, and no other output is put into place.
TEST(KivgCommandLine, CloseFailureIsStatusTwo) {
  TempDir dir;
  dir.Write("app.kivs", "def f(a, b=1) = F\n");
  if (!MakeDeviceNode(dir.Path("app.h"), FullDevice()))
    GTEST_SKIP() << "making a device node needs root";
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Error writing app.h: No space left on device\n");
  EXPECT_TRUE(IsCharacterDevice(dir.Path("app.h")));
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"app.kivs"});
}

}  // namespace
