// Runs kivg on a corpus of specs covering every statement kind and encoding
// version, and compiles what it generates: the C source as C99 with every C
// compiler at hand, and the header from C++, all with warnings as errors.
// Then the property behind it: every spec that kivg accepts without a
// warning, hand-written or generated at random from awkward names, gives C
// that gcc and clang compile and a header that compiles from C++.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <random>
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
      {"no definitions",
       {{"app.kivs", "# nothing but a comment\n"}},
       {},
       "app.h",
       "app.c"},
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
         "def mixed(a, b=1, c=\"s\", d=2.5, e=None, f=..., g=True, *rest, "
         "**options) = Mixed\n"
         "def alias(a, b=1, c=\"s\", d=2.5, e=None, f=..., g=True, *rest, "
         "**options) = Mixed\n"
         "def tuple_only(*values) = TupleOnly\n"
         "def dictionary_only(**named) = DictionaryOnly\n"
         "def after_tuple(*args, x, y=1) = AfterTuple\n"},
        {"helpers.kivs", "lib\ndef helper(x) = KivLib_helper\n"}},
       {},
       "app.h",
       "app.c"},
      {"imported modules",
       {{"app.kivs",
         "import first\n"
         "import first as again\n"
         "import \"second\" as other\n"
         "def main(x) = Main\n"
         "bare\n"},
        {"first.kivs", "k = 'first'\ndef f(a, *b) = First\nbare\n"},
        {"second.kivs", "def f(**kw) = Second\n"}},
       {},
       "app.h",
       "app.c"},
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
       {},
       "app.h",
       "app.c"},
      {"more than 250 parameters", {}, {}, "app.h", "app.c"},
      {"library spec with other code names",
       {{"app.kivs", "lib\ndef f(a) = LibF\n"}},
       {"-c", "gen/x"},
       "gen/x.h",
       "gen/x.c"},
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
  return "status " + std::to_string(result.status) + "\nstdout:\n" +
         result.out + "\nstderr:\n" + result.err;
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
          {"-std=c99", "-Wall", "-Wextra", "-Wno-unused-parameter", "-Werror",
           include, "-c", spec.source, "-o", "generated.o"},
          options);
      EXPECT_EQ(0, compiled.status) << Report(compiled);
    }

    dir.Write("use_header.cc", "#include \"" + spec.header + "\"\n");
    RunOptions options;
    options.workDir = dir.path();
    ProgramResult fromCxx =
        RunProgram(KIV_CXX_COMPILER,
                   {"-std=c++17", "-Wall", "-Wextra", "-Werror",
                    "-fsyntax-only", include, "use_header.cc"},
                   options);
    EXPECT_EQ(0, fromCxx.status) << Report(fromCxx);
  }
}

// Parameter names whose C name a compiler or a header defines: kivg warns,
// and the warning is earned, since gcc, clang or g++ then rejects the code.
TEST(GeneratedC, ParameterNamesThatCompilersDefineAreWarned) {
  const std::string gcc = FindInPath("gcc");
  const std::string clang = FindInPath("clang");
  ASSERT_FALSE(gcc.empty() || clang.empty())
      << "gcc and clang are needed (scripts/install-packages.sh)";
  const std::string include = "-I" + SourcePath("include");
  for (const std::string name :
       {"LP64", "GNU_SOURCE", "STDINT_H", "STDDEF_H", "STDBOOL_H"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    dir.Write("app.kivs", "def f(" + name + ") = F\n");
    const ProgramResult generated = RunKivg(dir, {"-q", "app.kivs"}, "");
    EXPECT_EQ(generated.status, 0);
    EXPECT_EQ(generated.err, "app.kivs:1:7: Warning: Parameter '" + name +
                                 "' has the C name '_" + name +
                                 "', which is reserved to the C "
                                 "implementation\n");
    dir.Write("use_header.cc", "#include \"app.h\"\n");
    RunOptions options;
    options.workDir = dir.path();
    int rejected = 0;
    for (const std::string& compiler : {gcc, clang}) {
      rejected +=
          RunProgram(compiler,
                     {"-std=c99", "-Wall", "-Wextra", "-Wno-unused-parameter",
                      "-Werror", include, "-fsyntax-only", "app.c"},
                     options)
              .status != 0;
    }
    rejected += RunProgram(KIV_CXX_COMPILER,
                           {"-std=c++17", "-Wall", "-Wextra", "-Werror",
                            include, "-fsyntax-only", "use_header.cc"},
                           options)
                    .status != 0;
    EXPECT_GT(rejected, 0) << "every compiler accepts the code";
  }
}

// Specs near the edges of what the C names allow, accepted without a warning.
const char* const kSilentEdgeSpecs[] = {
    "def a(x) = F\ndef b(*x) = F\ndef c(y=1) = F\ndef d(**z) = F\n",
    "def f(int, default, engine, ns, returnValue, functionSymbol, "
    "moduleSymbol, void, "
    "size_t, bool, true, null, complex_x, bool2, namespace, kivStep) = F\n",
    "def f(a) = _b\ndef g(b) = G\ndef h(c) = _lower\n",
    "def f(a) = KivLib_abs\ndef g() = KivLib_x\ndef h(a, b) = "
    "KivDispatch_other\n",
    "__main__\nsys\nargs\nbare\ndef f(a) = F\n",
    "+class\ndef b(me) = KivLib_class_init\nclass C:\n    def m(self) = "
    "KivLib_class_init\n",
    "+class\nclass C:\n    def f(self, x) = CF\n    class D:\n        def "
    "f(self, y) = CF\n",
    "import mod\nimport mod as other\ndef mf(b) = ModF\n",
    "import mod as __get__\nimport mod as __call__\n-class\n",
};

// Names that a careless spec might pick: plain ones, and awkward ones that
// kivg accepts, warns about or rejects.
const char* const kPlainNames[] = {"f",  "g",     "h", "value",
                                   "mf", "count", "x", "y"};
const char* const kAwkwardNames[] = {
    "int", "default",  "engine",   "ns",      "_a",   "__b",
    "_C",  "main",     "printf",   "size_t",  "bool", "KivStep",
    "sys", "__main__", "__init__", "__get__", "Bool", "F"};
const char* const kPlainInternalNames[] = {
    "F",      "G",    "H", "Impl", "ModF", "KivLib_abs", "KivLib_class_init",
    "_lower", "Run_2"};
const char* const kAwkwardInternalNames[] = {"int",
                                             "default",
                                             "static",
                                             "restrict",
                                             "_Bool",
                                             "_Atomic",
                                             "int32_t",
                                             "size_t",
                                             "NULL",
                                             "bool",
                                             "true",
                                             "false",
                                             "KivStep",
                                             "KivRunResult",
                                             "KIV_VERSION",
                                             "KIV_LIB_API",
                                             "INT8_C",
                                             "offsetof",
                                             "engine",
                                             "ns",
                                             "returnValue",
                                             "moduleSymbol",
                                             "functionSymbol",
                                             "printf",
                                             "abs",
                                             "exit",
                                             "strlen",
                                             "main",
                                             "template",
                                             "new",
                                             "namespace",
                                             "this",
                                             "char16_t",
                                             "__x",
                                             "_Y",
                                             "_a",
                                             "_b",
                                             "_x",
                                             "_value",
                                             "strdup",
                                             "index",
                                             "bzero",
                                             "read",
                                             "write",
                                             "open",
                                             "KivDispatch_other"};
const char* const kPlainParameterNames[] = {
    "a", "b", "x",   "value",   "self",   "lower",
    "f", "g", "int", "default", "engine", "ns"};
// With an upper-case initial a parameter's C name ("_" and the name) is
// reserved, and compilers and headers define such names: gcc and clang
// predefine _LP64, g++ _GNU_SOURCE, and _STDINT_H, _STDDEF_H and _STDBOOL_H
// are header guards.
const char* const kAwkwardParameterNames[] = {
    "returnValue", "Bool",          "Complex",    "Atomic",   "Generic",
    "_a",          "__b",           "_Q",         "size_t",   "Value",
    "F",           "LP64",          "GNU_SOURCE", "STDINT_H", "STDDEF_H",
    "STDBOOL_H",   "functionSymbol"};
const char* const kAliases[] = {"mod", "other", "__get__", "__call__",
                                "f",   "x",     "engine",  "int"};

template <size_t N>
const char* Pick(std::mt19937& random, const char* const (&names)[N]) {
  return names[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

bool Chance(std::mt19937& random, int percent) {
  return std::uniform_int_distribution<int>(0, 99)(random) < percent;
}

// Mostly plain, so that many specs are accepted and their C is compiled.
template <size_t N, size_t M>
const char* PickName(std::mt19937& random, const char* const (&plain)[N],
                     const char* const (&awkward)[M]) {
  return Chance(random, 80) ? Pick(random, plain) : Pick(random, awkward);
}

std::string RandomFunction(std::mt19937& random, const std::string& id,
                           const std::string& indent) {
  std::string text =
      indent + "def " + PickName(random, kPlainNames, kAwkwardNames) + "(";
  const int count = std::uniform_int_distribution<int>(0, 3)(random);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ", ";
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind == 8) text += "*";
    if (kind == 9) text += "**";
    text += PickName(random, kPlainParameterNames, kAwkwardParameterNames);
    if (kind == 7) text += "=1";
  }
  std::string internal =
      PickName(random, kPlainInternalNames, kAwkwardInternalNames);
  // The names of this spec's own generated code.
  if (Chance(random, 3)) internal = "KivAppSpec_" + id;
  if (Chance(random, 3)) internal = "KIV_APP_" + id + "_SYM_f";
  return text + ") = " + internal + "\n";
}

// A spec of a few statements drawn from the name pools above.
std::string RandomSpec(std::mt19937& random, const std::string& id) {
  std::string text;
  const bool classes = Chance(random, 30);
  if (classes) text += "+class\n";
  if (Chance(random, 25))
    text += std::string("import mod as ") + Pick(random, kAliases) + "\n";
  const int statements = std::uniform_int_distribution<int>(1, 4)(random);
  for (int i = 0; i < statements; ++i) {
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind == 0) {
      text += std::string(PickName(random, kPlainNames, kAwkwardNames)) + "\n";
    } else if (kind == 1) {
      text +=
          std::string(PickName(random, kPlainNames, kAwkwardNames)) + " = 2\n";
    } else if (kind == 2 && classes) {
      text += "class K" + std::to_string(i) + ":\n" +
              RandomFunction(random, id, "    ");
    } else {
      text += RandomFunction(random, id, "");
    }
  }
  return text;
}

// Compiles each file as its own translation unit, all in one compiler call.
ProgramResult CompileEach(const std::string& compiler,
                          std::vector<std::string> args,
                          const std::vector<std::string>& files,
                          const TempDir& dir) {
  args.insert(args.end(), {"-fsyntax-only", "-I" + SourcePath("include")});
  args.insert(args.end(), files.begin(), files.end());
  RunOptions options;
  options.workDir = dir.path();
  return RunProgram(compiler, args, options);
}

TEST(GeneratedC, EverySpecAcceptedWithoutWarningCompiles) {
  const std::string gcc = FindInPath("gcc");
  const std::string clang = FindInPath("clang");
  ASSERT_FALSE(gcc.empty())
      << "gcc is not installed (scripts/install-packages.sh)";
  ASSERT_FALSE(clang.empty())
      << "clang is not installed (scripts/install-packages.sh)";

  TempDir dir;
  dir.Write("mod.kivs", "def mf(a) = ModF\n");
  std::vector<std::string> specs(std::begin(kSilentEdgeSpecs),
                                 std::end(kSilentEdgeSpecs));
  const size_t edgeSpecs = specs.size();
  std::mt19937 random(20261210);
  while (specs.size() < edgeSpecs + 160)
    specs.push_back(RandomSpec(random, "s" + std::to_string(specs.size())));

  std::vector<std::string> sources, headerUses;
  std::map<std::string, std::string> specOf;  // file name -> spec text
  int rejected = 0, warned = 0;
  for (size_t i = 0; i < specs.size(); ++i) {
    const std::string id = "s" + std::to_string(i);
    dir.Write(id + ".kivs", specs[i]);
    const ProgramResult result = RunKivg(dir, {"-q", id + ".kivs"}, "");
    ASSERT_TRUE(result.status == 0 || result.status == 1)
        << specs[i] << Report(result);
    const bool silent = result.status == 0 && result.err.empty();
    if (i < edgeSpecs) {
      EXPECT_TRUE(silent) << specs[i] << Report(result);
    }
    if (result.status != 0) {
      ++rejected;
      continue;
    }
    if (!result.err.empty()) {
      ++warned;
      continue;
    }
    sources.push_back(id + ".c");
    headerUses.push_back(id + "_use.cc");
    dir.Write(id + "_use.cc", "#include \"" + id + ".h\"\n");
    specOf[id + ".c"] = specOf[id + ".h"] = specOf[id + "_use.cc"] = specs[i];
  }
  // The batch must reach all three outcomes to say anything.
  EXPECT_GT(sources.size(), edgeSpecs + 30);
  EXPECT_GT(rejected, 10);
  EXPECT_GT(warned, 10);

  // The specs behind the files a compiler complains about.
  auto culprits = [&](const ProgramResult& result) {
    std::string text;
    for (const auto& [file, spec] : specOf) {
      if (result.err.find(file + ":") != std::string::npos)
        text += "--- " + file + " from:\n" + spec;
    }
    return text;
  };
  const std::vector<std::string> cFlags = {"-std=c99", "-Wall", "-Wextra",
                                           "-Wno-unused-parameter", "-Werror"};
  for (const std::string& compiler : {gcc, clang}) {
    SCOPED_TRACE(compiler);
    const ProgramResult compiled = CompileEach(compiler, cFlags, sources, dir);
    EXPECT_EQ(compiled.status, 0) << Report(compiled) << culprits(compiled);
  }
  const ProgramResult fromCxx = CompileEach(
      KIV_CXX_COMPILER, {"-std=c++17", "-Wall", "-Wextra", "-Werror"},
      headerUses, dir);
  EXPECT_EQ(fromCxx.status, 0) << Report(fromCxx) << culprits(fromCxx);
}

}  // namespace
