// kivg from end to end: modules, includes and the search path, the errors
// that stop a run, and what is left on disk afterwards.
#include "generator/driver/run_sequence.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "generator/driver/memory_file_system.h"
#include "tests/generator/kivg_run.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

struct KivgOutputs {
  ProgramResult result;
  std::string spec, header, source;  // outputs, empty when not written
  std::vector<std::string> files;
};

KivgOutputs RunSpec(const Files& files,
                    std::vector<std::string> args = {"app.kivs"},
                    const char* specInclude = nullptr) {
  TempDir dir;
  for (const auto& [name, content] : files) dir.Write(name, content);
  KivgOutputs run;
  run.result = RunKivg(dir, args, specInclude);
  run.files = dir.Files();
  if (dir.Exists("app.kivec")) run.spec = dir.Read("app.kivec");
  if (dir.Exists("app.h")) run.header = dir.Read("app.h");
  if (dir.Exists("app.c")) run.source = dir.Read("app.c");
  return run;
}

std::vector<std::string> Names(const Files& files) {
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  std::sort(names.begin(), names.end());
  return names;
}

const char kWriting[] =
    "Writing spec to app.kivec\nWriting code to app.h and app.c\n";

struct ErrorCase {
  const char* title;
  Files files;
  const char* specInclude;
  std::string err;
};

// Every failed run prints its lines, writes nothing to standard output and
// leaves only the sources behind.
TEST(KivgRun, FailedRunsLeaveNoOutputs) {
  const std::vector<ErrorCase> cases = {
      {"stray character",
       {{"app.kivs", "x = 1\n\ny = 2 $\n"}},
       nullptr,
       "app.kivs:3:7: Bad token encountered: '$'\nEnded in ERROR\n"},
      {"decimal out of range",
       {{"app.kivs", "x = 4294967296\n"}},
       nullptr,
       "app.kivs:1:5: Bad token encountered: '4294967296': Decimal constant "
       "out of range\nEnded in ERROR\n"},
      {"indentation",
       {{"app.kivs", "x = 1\n  y = 2\n"}},
       nullptr,
       "app.kivs:2:3: Unexpected indentation\nEnded in ERROR\n"},
      {"syntax error",
       {{"app.kivs", "def f(a\n"}},
       nullptr,
       "app.kivs:1:7: Error: Syntax error\nEnded in ERROR\n"},
      {"class without feature",
       {{"app.kivs", "class C:\n    x = 1\n"}},
       nullptr,
       "Error: Class definition(s) encountered without the class feature "
       "enabled\nEnded in ERROR\n"},
      {"include not found without search path",
       {{"app.kivs", "include x\n"}, {"x.kivs", ""}},
       nullptr,
       "app.kivs:1:9: Error opening x.kivs: No such file or directory\n"},
      {"include not found with search path",
       {{"app.kivs", "x = 1\ninclude \"y\"\n\n\nz = 2\n"}},
       "",
       "app.kivs:2:9: Error opening y.kivs: No such file or directory\n"},
      // Names from the spec are shown escaped, as a bad token's text is: an
      // escape sequence in one never reaches the terminal.
      {"control bytes in an include name",
       {{"app.kivs", "include \"./\\x1b]0;pwned\\x07\\\\x\"\n"}},
       nullptr,
       "app.kivs:1:9: Error opening ./\\x1b]0;pwned\\x07\\\\x.kivs: No such "
       "file or directory\n"},
      {"control bytes in a module name",
       {{"app.kivs", "import \"m\\r\" as m\n"}},
       "",
       "app.kivs:1:17: Error opening m\\x0d.kivs imported as 'm': No such file "
       "or directory\n"},
      {"include cycle",
       {{"app.kivs", "include \"./a\"\n"},
        {"a.kivs", "include \"./b\"\n"},
        {"b.kivs", "include \"./a\"\n"}},
       nullptr,
       "./b.kivs:1:9: Include cycle detected: ./a.kivs\n"},
      {"self include",
       {{"app.kivs", "include app\n"}},
       "",
       "app.kivs:1:9: Error: Source file cannot include itself: app.kivs\n"
       "Ended in ERROR\n"},
      {"missing module under two aliases",
       {{"app.kivs", "import m as b\nimport m\nimport m as a\n"}},
       "",
       "app.kivs:3:13: Error opening m.kivs imported as 'a': No such file or "
       "directory\n"
       "app.kivs:1:13: Error opening m.kivs imported as 'b': No such file or "
       "directory\n"
       "app.kivs:2:8: Error opening m.kivs: No such file or directory\n"},
      {"error in a module",
       {{"app.kivs", "import m\n"}, {"m.kivs", "x = )\n"}},
       "",
       "m.kivs:1:5: Error: Syntax error\nEnded in ERROR\n"},
      {"importing the main spec",
       {{"app.kivs", "import app\n"}},
       "",
       "app.kivs:1:8: Error: Cannot import the main spec 'app'\n"
       "Ended in ERROR\n"},
      {"importing the main spec from a module",
       {{"app.kivs", "import m\n"}, {"m.kivs", "import app as a\n"}},
       "",
       "m.kivs:1:8: Error: Cannot import the main spec 'app'\n"
       "Ended in ERROR\n"},
      {"NUL in an include name",
       {{"app.kivs", "include \"./x\\0\"\n"}, {"x", ""}},
       nullptr,
       "app.kivs:1:9: Error: Include name cannot contain a NUL byte\n"
       "Ended in ERROR\n"},
      {"NUL in a module name",
       {{"app.kivs", "import \"m\\0\" as m\n"}},
       "",
       "app.kivs:1:8: Error: Module name cannot contain a NUL byte\n"
       "Ended in ERROR\n"},
      {"directory as module",
       {{"app.kivs", "import m\n"}, {"m.kivs/x", ""}},
       "",
       "app.kivs:1:8: Error opening m.kivs: Is a directory\n"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.title);
    const KivgOutputs run = RunSpec(c.files, {"app.kivs"}, c.specInclude);
    EXPECT_EQ(run.result.status, 1);
    EXPECT_EQ(run.result.out, "");
    EXPECT_EQ(run.result.err, c.err);
    EXPECT_EQ(run.files, Names(c.files));
  }
}

TEST(KivgRun, WarningsKeepStatusZero) {
  const KivgOutputs run = RunSpec({{"app.kivs", "x = 1\nx = 2\n"}});
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.result.out, kWriting);
  EXPECT_EQ(run.result.err, "app.kivs:2:1: Warning: Name 'x' redefined\n");
  EXPECT_FALSE(run.spec.empty());
}

// The search path: unset finds only explicit paths, empty means the current
// directory, and entries are tried in order with "/" inserted when needed.
TEST(KivgRun, IncludesFollowTheSearchPath) {
  const KivgOutputs reference =
      RunSpec({{"app.kivs", "def g(b) = G\ndef f(a) = F\n"}});
  ASSERT_EQ(reference.result.status, 0);
  struct Case {
    const char* title;
    Files files;
    const char* specInclude;
  } cases[] = {
      {"explicit path without search path",
       {{"app.kivs", "include \"./inc/x\"\ndef f(a) = F\n"},
        {"inc/x.kivs", "def g(b) = G\n"}},
       nullptr},
      {"empty search path",
       {{"app.kivs", "include x\ndef f(a) = F\n"},
        {"x.kivs", "def g(b) = G\n"}},
       ""},
      {"later entry",
       {{"app.kivs", "include x\ndef f(a) = F\n"},
        {"inc/x.kivs", "def g(b) = G\n"},
        {"lib/other.kivs", ""}},
       "lib;inc"},
      {"directory found first is skipped",
       {{"app.kivs", "include x\ndef f(a) = F\n"},
        {"lib/x.kivs/keep", ""},
        {"inc/x.kivs", "def g(b) = G\n"}},
       "lib/;inc/"},
      {"parent directory",
       {{"app.kivs", "include \"../x\"\ndef f(a) = F\n"}},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TempDir dir;
    for (const auto& [name, content] : c.files)
      dir.Write("work/" + name, content);
    dir.Write("x.kivs", "def g(b) = G\n");
    const ProgramResult result = [&] {
      RunOptions run;
      run.workDir = dir.Path("work");
      run.env.push_back(
          {"KIV_SPEC_INCLUDE", c.specInclude
                                   ? std::optional<std::string>(c.specInclude)
                                   : std::nullopt});
      return RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, run);
    }();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(dir.Read("work/app.kivec"), reference.spec);
    EXPECT_EQ(dir.Read("work/app.c"), reference.source);
  }
}

// lib holds for the file that declares it: an included library file does not
// make the including file a library, and the including file's own lib
// survives the include.
TEST(KivgRun, LibFlagIsRestoredAfterAnInclude) {
  const KivgOutputs run =
      RunSpec({{"app.kivs", "include \"./l\"\ndef f() = F\n"},
               {"l.kivs", "lib\ndef g() = G\n"},
               {"k.kivs", "lib\ninclude \"./p\"\ndef h() = H\n"},
               {"p.kivs", "def i() = I\n"}});
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_NE(run.header.find("\nKivRunResult F\n"), std::string::npos);
  EXPECT_NE(run.header.find("\nKIV_LIB_API KivRunResult G\n"),
            std::string::npos);

  const KivgOutputs library =
      RunSpec({{"k.kivs", "lib\ninclude \"./p\"\ndef h() = H\n"},
               {"p.kivs", "def i() = I\n"}},
              {"-s", "app", "-c", "app", "k.kivs"});
  ASSERT_EQ(library.result.status, 0) << library.result.err;
  EXPECT_NE(library.header.find("\nKIV_LIB_API KivRunResult H\n"),
            std::string::npos);
  EXPECT_NE(library.header.find("\nKivRunResult I\n"), std::string::npos);
}

// Modules are read in order of first mention, each once, whatever the
// number of aliases.
TEST(KivgRun, ModulesAreReadOnceInOrderOfFirstMention) {
  const KivgOutputs run =
      RunSpec({{"app.kivs", "import m as b\nimport n\nimport m as a\n"},
               {"m.kivs", "import n\ndef f() = F\n"},
               {"n.kivs", "def g() = G\n"}},
              {"app.kivs"}, "");
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.out, kWriting);
  // Module order is by alias set: {a, b} is m (symbol 1), {n} is n (2).
  EXPECT_NE(
      run.source.find("        case -1:\n            switch (functionSymbol)\n"
                      "            {\n                default:\n"
                      "                    break;\n                case "),
      std::string::npos);
  EXPECT_NE(run.source.find("return F(engine, returnValue);"),
            std::string::npos);
  EXPECT_NE(run.source.find("return G(engine, returnValue);"),
            std::string::npos);
}

// An include on a file's last line is read even without a final newline, at
// any depth and in a module's first file.
TEST(KivgRun, LastLineIncludeWithoutFinalNewlineIsRead) {
  const Files withNewline = {{"app.kivs", "x = 1\ninclude \"./a\"\n"},
                             {"a.kivs", "def f() = F\ninclude \"./b\"\n"},
                             {"b.kivs", "import m\n"},
                             {"m.kivs", "include \"./c\"\n"},
                             {"c.kivs", "def g(p) = G\n"}};
  Files without = withNewline;
  for (auto& [name, content] : without) content.pop_back();
  const KivgOutputs expected = RunSpec(withNewline, {"app.kivs"}, "");
  const KivgOutputs actual = RunSpec(without, {"app.kivs"}, "");
  ASSERT_EQ(expected.result.status, 0) << expected.result.err;
  EXPECT_EQ(actual.result.status, 0) << actual.result.err;
  EXPECT_EQ(actual.result.err, "");
  EXPECT_EQ(actual.spec, expected.spec);
  EXPECT_EQ(actual.header, expected.header);
  EXPECT_EQ(actual.source, expected.source);
  EXPECT_NE(actual.header.find("KivRunResult G"), std::string::npos);
}

// A lib declared by a file included on the last line ends with that file,
// newline or not: the generated __init__ of the class feature belongs to
// the main spec, which is no library, and so does every later definition.
TEST(KivgRun, LibOfALastLineIncludeEndsWithIt) {
  const struct {
    const char* title;
    Files files;
    const char* init;  // the prototype's first line
  } cases[] = {
      {"include in the main spec",
       {{"app.kivs", "+class\ninclude l\n"},
        {"inc/l.kivs", "lib\ndef g() = G\n"}},
       "\nKivRunResult KivLib_class_init\n"},
      {"include two files deep",
       {{"app.kivs", "+class\ninclude \"./a\"\n"},
        {"a.kivs", "def f() = F\ninclude l\n"},
        {"inc/l.kivs", "lib\ndef g() = G\n"}},
       "\nKivRunResult KivLib_class_init\n"},
      {"a library main spec keeps its lib",
       {{"app.kivs", "lib\n+class\ninclude p\n"},
        {"inc/p.kivs", "def g() = G\n"}},
       "\nKIV_LIB_API KivRunResult KivLib_class_init\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Files without = c.files;
    for (auto& [name, content] : without) content.pop_back();
    const KivgOutputs expected = RunSpec(c.files, {"-q", "app.kivs"}, "inc/");
    const KivgOutputs actual = RunSpec(without, {"-q", "app.kivs"}, "inc/");
    ASSERT_EQ(expected.result.status, 0) << expected.result.err;
    EXPECT_EQ(actual.result.status, 0) << actual.result.err;
    EXPECT_NE(expected.header.find(c.init), std::string::npos);
    EXPECT_EQ(actual.header, expected.header);
    EXPECT_EQ(actual.source, expected.source);
    EXPECT_EQ(actual.spec, expected.spec);
  }
}

// A line after a continuation is indentation-checked like any other: each
// source defines y at the top level, exactly as without the continuation.
TEST(KivgRun, ContinuationsDoNotHideIndentation) {
  const KivgOutputs expected =
      RunSpec({{"app.kivs", "+class\nclass C:\n    x = 1\ny = 2\n"}});
  ASSERT_EQ(expected.result.status, 0) << expected.result.err;
  const Files sources[] = {
      {{"app.kivs", "+class\nclass C:\n    x = \\\n1\ny = 2\n"}},
      {{"app.kivs", "+class\nclass C:\n    x = 1 \\\n\ny = 2\n"}},
      {{"app.kivs", "+class\nclass C:\n    x = 1 \\\n# note\ny = 2\n"}},
      {{"app.kivs", "+class\ninclude \"./x\"\ny = 2\n"},
       {"x.kivs", "class C:\n    x = 1 \\\n"}},
  };
  for (const Files& files : sources) {
    SCOPED_TRACE(files[0].second);
    const KivgOutputs run = RunSpec(files);
    EXPECT_EQ(run.result.status, 0) << run.result.err;
    EXPECT_EQ(run.spec, expected.spec);
    EXPECT_EQ(run.header, expected.header);
    EXPECT_EQ(run.source, expected.source);
  }
  const KivgOutputs trailing = RunSpec({{"app.kivs", "x = 1 \\"}});
  const KivgOutputs plain = RunSpec({{"app.kivs", "x = 1\n"}});
  EXPECT_EQ(trailing.result.status, 0) << trailing.result.err;
  EXPECT_EQ(trailing.spec, plain.spec);
  EXPECT_EQ(trailing.source, plain.source);
}

TEST(KivgRun, EmptySpecWritesAllOutputs) {
  const KivgOutputs run = RunSpec({{"app.kivs", ""}});
  EXPECT_EQ(run.result.status, 0);
  EXPECT_EQ(run.result.out, kWriting);
  EXPECT_EQ(run.spec, std::string("KivS\x01\0\0\0\0", 9));
  EXPECT_FALSE(run.header.empty());
  EXPECT_FALSE(run.source.empty());
}

}  // namespace

// The run sequence in this process, on sources held in memory: what it
// reports, how it ends and which files it read, without the program around
// it.
class InMemoryRun : public ::testing::Test {
 protected:
  InMemoryRun() {
    options_.quiet = true;
    options_.source = "app.kivs";
    names_.specName = "app";
    names_.specPath = "app.kivec";
    names_.headerPath = "app.h";
    names_.sourcePath = "app.c";
  }

  kivg::RunOutcome Run(kivg::SearchPath searchPath = kivg::SearchPath{""}) {
    kivg::RunSequence run(options_, names_, files_, std::move(searchPath), out_,
                          err_);
    if (mainSource_) run.SetMainSource(*mainSource_);
    const kivg::RunOutcome outcome = run.Run({spec_, header_, source_});
    filesRead_.clear();
    for (const kivg::FileRead& file : run.filesRead())
      filesRead_.push_back(file.path);
    return outcome;
  }

  kivg::GeneratorOptions options_;
  kivg::OutputNames names_;
  kivg::MemoryFileSystem files_;
  std::optional<kivg::SourceText> mainSource_;
  std::ostringstream out_, err_, spec_, header_, source_;
  std::vector<std::string> filesRead_;
};

// Every file is listed once per read, in reading order: an include read
// twice twice, a module once whatever its number of aliases.
TEST_F(InMemoryRun, ListsEveryFileReadInOrder) {
  files_.Add(
      "app.kivs",
      "include \"./i\"\nimport m as a\nimport m as b\ninclude \"./i\"\n");
  files_.Add("./i.kivs", "");
  files_.Add("m.kivs", "include \"./j\"\n");
  files_.Add("./j.kivs", "def f() = F\n");
  EXPECT_EQ(Run(), kivg::RunOutcome::kWritten);
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(filesRead_,
            (std::vector<std::string>{"app.kivs", "./i.kivs", "./i.kivs",
                                      "m.kivs", "./j.kivs"}));
  EXPECT_NE(header_.str().find("KivRunResult F"), std::string::npos);
}

// A file that opens but cannot be read ends the run with its path and no
// location, whichever statement asked for it; the outputs are left to the
// caller, not reported as a spec error.
TEST_F(InMemoryRun, ReadFailureAfterAGoodOpenIsAnOpenError) {
  struct Case {
    const char* spec;
    const char* failing;
    std::vector<std::string> read;
  } cases[] = {
      {"x = 1\n", "app.kivs", {}},
      {"include \"./i\"\n", "./i.kivs", {"app.kivs"}},
      {"import m\n", "m.kivs", {"app.kivs"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    files_ = kivg::MemoryFileSystem();
    err_.str("");
    files_.Add("app.kivs", c.spec);
    files_.Fail(c.failing, kivg::SourceText::kReadFailed, EIO);
    EXPECT_EQ(Run(), kivg::RunOutcome::kOpenError);
    EXPECT_EQ(err_.str(), std::string("Error reading ") + c.failing +
                              ": Input/output error\n");
    EXPECT_EQ(filesRead_, c.read);
  }
}

// The main module's text, once handed over, is what the run parses: SOURCE
// is not read a second time (a FIFO could not be).
TEST_F(InMemoryRun, MainSourceIsNotReadAgain) {
  kivg::SourceText text;
  text.status = kivg::SourceText::kRead;
  text.path = "app.kivs";
  text.contents = "def f() = F\n";
  mainSource_ = text;
  files_.Fail("app.kivs", kivg::SourceText::kOpenFailed, ENOENT);
  EXPECT_EQ(Run(), kivg::RunOutcome::kWritten);
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(filesRead_, std::vector<std::string>{"app.kivs"});
  EXPECT_NE(header_.str().find("KivRunResult F"), std::string::npos);
}
