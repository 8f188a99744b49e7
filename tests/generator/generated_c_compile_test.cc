// Runs kivg on a corpus of specs covering every statement kind and encoding
// version, and compiles what it generates: the C source as C99 with every C
// compiler at hand, and the header from C++, all with warnings as errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/generator/kivg_run.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

struct CorpusSpec {
  const char* name;
  std::map<std::string, std::string> files;  // app.kivs and what it reads
  std::vector<std::string> options;          // kivg options before app.kivs
  std::string header;                        // the header kivg writes
  std::string source;                        // the C source kivg writes
};

std::vector<CorpusSpec> Corpus() {
  return {
      {"no definitions", {{"app.kivs", "# nothing but a comment\n"}}, {}, "app.h", "app.c"},
      {"every statement kind, oldest encoding",
       {{"app.kivs",
         "include helpers\n"
         "nothing = None\n"
         "more = ...\n"
         "yes = True\n"
         "no = False\n"
         "count = -2147483648\n"
         "ratio = -1.5e3\n"
         "text = 'quote\" \\0 \\xFF\\n\\x7F'\n"
         "bare\n"
         "gone = 1\n"
         "del gone\n"
         "def none() = NoParameters\n"
         "def mixed(a, b=1, c=\"s\", d=2.5, e=None, f=..., g=True, *rest, **options) = Mixed\n"
         "def alias(a, b=1, c=\"s\", d=2.5, e=None, f=..., g=True, *rest, **options) = Mixed\n"
         "def tuple_only(*values) = TupleOnly\n"
         "def dictionary_only(**named) = DictionaryOnly\n"
         "def after_tuple(*args, x, y=1) = AfterTuple\n"},
        {"helpers.kivs", "lib\ndef helper(x) = KivLib_helper\n"}},
       {}, "app.h", "app.c"},
      {"imported modules",
       {{"app.kivs",
         "import first\n"
         "import first as again\n"
         "import \"second\" as other\n"
         "def main(x) = Main\n"
         "bare\n"},
        {"first.kivs", "k = 'first'\ndef f(a, *b) = First\nbare\n"},
        {"second.kivs", "def f(**kw) = Second\n"}},
       {}, "app.h", "app.c"},
      {"classes",
       {{"app.kivs",
         "+class\n"
         "class Outer:\n"
         "    def method(self, x=0) = OuterMethod\n"
         "    limit = 10\n"
         "    class Inner:\n"
         "        def method(self) = InnerMethod\n"
         "        bare\n"
         "def free(a) = Free\n"
         "import tools\n"},
        {"tools.kivs", "class Tool:\n    def use(self, **how) = ToolUse\n"}},
       {}, "app.h", "app.c"},
      {"more than 250 parameters", {}, {}, "app.h", "app.c"},
      {"library spec with other code names",
       {{"app.kivs", "lib\ndef f(a) = LibF\n"}},
       {"-c", "gen/x"}, "gen/x.h", "gen/x.c"},
  };
}

std::string WideSpec() {
  std::string spec = "def wide(";
  for (int i = 0; i < 260; ++i) spec += (i ? ", p" : "p") + std::to_string(i);
  return spec + ") = Wide\n";
}

bool IsExecutable(const std::string& path) {
  return !path.empty() && access(path.c_str(), X_OK) == 0;
}

std::string FindInPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string entries = path ? path : "";
  size_t start = 0;
  while (start <= entries.size()) {
    size_t end = entries.find(':', start);
    if (end == std::string::npos) end = entries.size();
    std::string candidate = entries.substr(start, end - start) + "/" + program;
    if (end > start && IsExecutable(candidate)) return candidate;
    start = end + 1;
  }
  return "";
}

// The build's C compiler and, when installed, clang and gcc, each once.
std::vector<std::string> CCompilers() {
  std::vector<std::string> compilers;
  for (const std::string& compiler :
       {std::string(KIV_C_COMPILER), FindInPath("clang"), FindInPath("gcc")}) {
    if (!IsExecutable(compiler)) continue;
    char* real = realpath(compiler.c_str(), nullptr);
    std::string resolved = real ? real : compiler;
    std::free(real);
    bool seen = false;
    for (const std::string& known : compilers) {
      char* knownReal = realpath(known.c_str(), nullptr);
      seen = seen || resolved == (knownReal ? knownReal : known);
      std::free(knownReal);
    }
    if (!seen) compilers.push_back(compiler);
  }
  return compilers;
}

std::string Report(const ProgramResult& result) {
  return "status " + std::to_string(result.status) + "\nstdout:\n" + result.out +
         "\nstderr:\n" + result.err;
}

TEST(GeneratedC, CompilesAsC99AndFromCxx) {
  const std::vector<std::string> compilers = CCompilers();
  ASSERT_FALSE(compilers.empty()) << "no C compiler found";
  const std::string include = "-I" + SourcePath("include");

  for (CorpusSpec spec : Corpus()) {
    SCOPED_TRACE(spec.name);
    if (spec.files.empty()) spec.files["app.kivs"] = WideSpec();
    TempDir dir;
    for (const auto& file : spec.files) dir.Write(file.first, file.second);
    dir.MakeDir("gen");

    std::vector<std::string> args = spec.options;
    args.push_back("-q");
    args.push_back("app.kivs");
    ProgramResult generated = RunKivg(dir, args, dir.path().c_str());
    ASSERT_EQ(0, generated.status) << Report(generated);
    ASSERT_TRUE(dir.Exists(spec.header));
    ASSERT_TRUE(dir.Exists(spec.source));

    for (const std::string& compiler : compilers) {
      SCOPED_TRACE(compiler);
      RunOptions options;
      options.workDir = dir.path();
      ProgramResult compiled = RunProgram(
          compiler,
          {"-std=c99", "-Wall", "-Wextra", "-Wno-unused-parameter", "-Werror", include,
           "-c", spec.source, "-o", "generated.o"},
          options);
      EXPECT_EQ(0, compiled.status) << Report(compiled);
    }

    dir.Write("use_header.cc", "#include \"" + spec.header + "\"\n");
    RunOptions options;
    options.workDir = dir.path();
    ProgramResult fromCxx = RunProgram(
        KIV_CXX_COMPILER,
        {"-std=c++17", "-Wall", "-Wextra", "-Werror", "-fsyntax-only", include,
         "use_header.cc"},
        options);
    EXPECT_EQ(0, fromCxx.status) << Report(fromCxx);
  }
}

}  // namespace
