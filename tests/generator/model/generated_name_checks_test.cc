// The names that reach the generated code, checked by running kivg as a user
// does: specs whose C would not compile, or whose outputs would bind scripts
// to the wrong names, end in a located error and leave no outputs; fragile
// ones get a warning and their outputs; the valid neighbours of both stay
// silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/generator/kivg_run.h"

namespace {

struct NameCase {
  std::string label;
  std::map<std::string, std::string> files;  // app.kivs and what it reads
  std::string err;                           // all of standard error
  std::vector<std::string> options = {};     // before -q app.kivs
};

const char kEnded[] = "Ended in ERROR\n";

std::vector<std::string> Names(
    const std::map<std::string, std::string>& files) {
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  return names;
}

ProgramResult RunCase(const TempDir& dir, const NameCase& c) {
  for (const auto& file : c.files) dir.Write(file.first, file.second);
  dir.MakeDir("gen");
  std::vector<std::string> args = c.options;
  args.push_back("-q");
  args.push_back("app.kivs");
  return RunKivg(dir, args, "");
}

TEST(GeneratedNames, ErrorsAreLocatedAndLeaveNoOutputs) {
  const std::string rename = "; use another internal name\n";
  const std::string prototype =
      "; a C function has one prototype, so use another internal name\n";
  const NameCase cases[] = {
      {"one internal name, two parameter counts",
       {{"app.kivs", "def a(x) = F\ndef b(x, y) = F\n"}},
       "app.kivs:2:5: Error: Internal name 'F' is bound with 2 parameter(s) "
       "here but with 1 at app.kivs:1:5" +
           prototype},
      {"the first definition in walk order decides, across modules",
       {{"app.kivs", "import m\ndef z(x) = F\n"}, {"m.kivs", "def a() = F\n"}},
       "m.kivs:1:5: Error: Internal name 'F' is bound with 0 parameter(s) here "
       "but with 1 at app.kivs:2:5" +
           prototype},
      {"every later mismatch is reported",
       {{"app.kivs",
         "def a(x) = F\ndef b() = F\ndef c(x) = F\ndef d(x, y, z) = F\n"}},
       "app.kivs:2:5: Error: Internal name 'F' is bound with 0 parameter(s) "
       "here but with 1 at app.kivs:1:5" +
           prototype +
           "app.kivs:4:5: Error: Internal name 'F' is bound with 3 "
           "parameter(s) "
           "here but with 1 at app.kivs:1:5" +
           prototype},
      {"a later definition than the generated initializer",
       {{"app.kivs", "+class\ndef b(x, y) = KivLib_class_init\n"}},
       "app.kivs:2:5: Error: Internal name 'KivLib_class_init' is bound with 2 "
       "parameter(s) here but with 1 by the generated '__init__'" +
           prototype},
      {"the generated initializer after a definition",
       {{"app.kivs", "+class\ndef B(x, y) = KivLib_class_init\n"}},
       "Error: Internal name 'KivLib_class_init' is bound with 1 parameter(s) "
       "by the generated '__init__' but with 2 at app.kivs:2:5" +
           prototype},
      {"C99 keyword",
       {{"app.kivs", "def f(a) = int\n"}},
       "app.kivs:1:5: Error: Internal name 'int' is a C keyword" + rename},
      {"keyword of a switch",
       {{"app.kivs", "def f() = default\n"}},
       "app.kivs:1:5: Error: Internal name 'default' is a C keyword" + rename},
      {"C99 underscore keyword",
       {{"app.kivs", "def f() = _Bool\n"}},
       "app.kivs:1:5: Error: Internal name '_Bool' is a C keyword" + rename},
      {"C11 keyword",
       {{"app.kivs", "def f() = _Static_assert\n"}},
       "app.kivs:1:5: Error: Internal name '_Static_assert' is a C keyword" +
           rename},
      {"C keyword in a class member",
       {{"app.kivs", "+class\nclass C:\n    def m(self) = switch\n"}},
       "app.kivs:3:9: Error: Internal name 'switch' is a C keyword" + rename},
  };
  const char* defined[] = {"int32_t",
                           "size_t",
                           "__bool_true_false_are_defined",
                           "NULL",
                           "bool",
                           "true",
                           "KivStep",
                           "KivRunResult",
                           "KivEngine",
                           "KIV_VERSION",
                           "KIV_LIB_API",
                           "KivRunResult_OK",
                           "KivDispatch_app",
                           "KivAppSpec_app",
                           "KIV_APP_app_SYM_f",
                           "KIV_APP_app_DEF_H"};
  const char* variables[] = {"engine", "moduleSymbol", "functionSymbol", "ns",
                             "returnValue"};
  std::vector<NameCase> all(std::begin(cases), std::end(cases));
  for (const char* name : defined) {
    all.push_back({name,
                   {{"app.kivs", std::string("def f(a) = ") + name + "\n"}},
                   std::string("app.kivs:1:5: Error: Internal name '") + name +
                       "' is already defined by the generated code or the "
                       "headers it includes" +
                       rename});
  }
  for (const char* name : variables) {
    all.push_back({name,
                   {{"app.kivs", std::string("def f(a) = ") + name + "\n"}},
                   std::string("app.kivs:1:5: Error: Internal name '") + name +
                       "' is a variable of the generated dispatch function" +
                       rename});
  }
  all.push_back({"the C name of an own parameter",
                 {{"app.kivs", "def f(a, *b) = _b\n"}},
                 "app.kivs:1:5: Error: Internal name '_b' is the C name of the "
                 "function's parameter 'b'; rename the internal name or the "
                 "parameter\n"});
  const char* keywordParameters[] = {
      "Bool",     "Complex",       "Imaginary", "Generic",
      "Noreturn", "Static_assert", "Alignas",   "Alignof",
      "Atomic",   "Thread_local",  "Pragma"};
  for (const char* name : keywordParameters) {
    all.push_back({name,
                   {{"app.kivs", std::string("def f(a, ") + name + ") = F\n"}},
                   std::string("app.kivs:1:10: Error: Parameter '") + name +
                       "' has the C name '_" + name +
                       "', which is a C keyword; rename the parameter\n"});
  }
  all.push_back(
      {"class feature name as an alias",
       {{"app.kivs", "+class\nimport m as __get__\nimport n as z\n"},
        {"m.kivs", "def mf(a) = M\n"},
        {"n.kivs", "def nf(a) = N\n"}},
       "app.kivs:2:13: Error: Cannot redefine reserved name '__get__'\n"});
  all.push_back(
      {"each class feature name, at its first import",
       {{"app.kivs",
         "import m as __init__\nimport m as __init__\nimport m as __func__\n"
         "import m as __call__\n+class\n"},
        {"m.kivs", "x = 1\n"}},
       "app.kivs:4:13: Error: Cannot redefine reserved name '__call__'\n"
       "app.kivs:3:13: Error: Cannot redefine reserved name '__func__'\n"
       "app.kivs:1:13: Error: Cannot redefine reserved name '__init__'\n"});
  all.push_back(
      {"an alias named in an imported module",
       {{"app.kivs", "+class\nimport m\n"},
        {"m.kivs", "import n as __call__\n"},
        {"n.kivs", "y = 2\n"}},
       "m.kivs:1:13: Error: Cannot redefine reserved name '__call__'\n"});

  for (const NameCase& c : all) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const ProgramResult result = RunCase(dir, c);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err + kEnded);
    EXPECT_EQ(dir.Files(), Names(c.files));
  }
}

// The identifiers that the headers of the generated code define, as gcc and
// clang see them (every macro and typedef of <stdbool.h>, <stddef.h> and
// <stdint.h> that does not start with an underscore), and every Kiv name of
// kiv.h: none of them may name an application's C function.
bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The identifiers of a text, in order.
std::vector<std::string> Identifiers(const std::string& text) {
  std::vector<std::string> words;
  for (size_t i = 0; i < text.size();) {
    if (!IsNameCharacter(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsNameCharacter(text[end])) ++end;
    if (!std::isdigit(static_cast<unsigned char>(text[i])))
      words.push_back(text.substr(i, end - i));
    i = end;
  }
  return words;
}

std::set<std::string> NamesTheIncludedHeadersDefine() {
  std::set<std::string> names;
  auto add = [&names](const std::string& name) {
    if (name[0] != '_') names.insert(name);
  };
  TempDir dir;
  dir.Write("headers.c",
            "#include <stdbool.h>\n#include <stddef.h>\n#include <stdint.h>\n");
  for (const char* compiler : {"gcc", "clang"}) {
    RunOptions options;
    options.workDir = dir.path();
    // Every macro: "#define NAME ..." lines.
    const ProgramResult macros =
        RunProgram("/usr/bin/env",
                   {compiler, "-std=c11", "-E", "-dM", "headers.c"}, options);
    EXPECT_EQ(macros.status, 0) << compiler << ": " << macros.err;
    std::istringstream lines(macros.out);
    for (std::string line; std::getline(lines, line);) {
      const std::vector<std::string> words = Identifiers(line);
      if (words.size() >= 2 && words[0] == "define") add(words[1]);
    }
    // Every typedef: the last identifier before the declaration's ";",
    // past the braces of a struct.
    const ProgramResult code =
        RunProgram("/usr/bin/env",
                   {compiler, "-std=c11", "-E", "-P", "headers.c"}, options);
    EXPECT_EQ(code.status, 0) << compiler << ": " << code.err;
    for (size_t at = 0;
         (at = code.out.find("typedef", at)) != std::string::npos; at += 7) {
      size_t end = at;
      for (int depth = 0; end < code.out.size(); ++end) {
        const char c = code.out[end];
        if (c == '{') ++depth;
        if (c == '}') --depth;
        if (c == ';' && depth == 0) break;
      }
      const size_t open = code.out.rfind('}', end);
      if (open != std::string::npos && open > at) at = open;
      const std::vector<std::string> words =
          Identifiers(code.out.substr(at, end - at));
      if (!words.empty()) add(words.back());
    }
  }
  std::ifstream in(SourcePath("include/kiv.h"));
  std::stringstream kivHeader;
  kivHeader << in.rdbuf();
  for (const std::string& word : Identifiers(kivHeader.str())) {
    if ((word.rfind("Kiv", 0) == 0 && word.size() > 3 &&
         (std::isupper(static_cast<unsigned char>(word[3])) ||
          word[3] == '_')) ||
        word.rfind("KIV_", 0) == 0)
      names.insert(word);
  }
  return names;
}

TEST(GeneratedNames, EveryNameTheIncludedHeadersDefineIsAnError) {
  const std::set<std::string> names = NamesTheIncludedHeadersDefine();
  // Enough to show that the compilers and kiv.h were read: C11's names of the
  // three headers alone are more.
  ASSERT_GT(names.size(), 100u);
  ASSERT_TRUE(names.count("max_align_t") && names.count("KivStep") &&
              names.count("UINT_LEAST8_MAX"));
  std::string spec;
  std::vector<std::string> expected;
  for (const std::string& name : names) {
    char function[16];
    std::snprintf(function, sizeof function, "f%04zu", expected.size() + 1);
    spec += "def " + std::string(function) + "(a) = " + name + "\n";
    expected.push_back("app.kivs:" + std::to_string(expected.size() + 1) +
                       ":5: Error: Internal name '" + name +
                       "' is already defined by the generated code or the "
                       "headers it includes; use another internal name");
  }
  expected.push_back("Ended in ERROR");
  TempDir dir;
  const ProgramResult result =
      RunCase(dir, {"header names", {{"app.kivs", spec}}, ""});
  EXPECT_EQ(result.status, 1);
  std::vector<std::string> lines;
  std::istringstream err(result.err);
  for (std::string line; std::getline(err, line);) lines.push_back(line);
  // Line by line, so that a name the table lacks shows as itself.
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(i < lines.size() ? lines[i] : "(no line)", expected[i]);
  EXPECT_EQ(lines.size(), expected.size());
}

TEST(GeneratedNames, WarningsKeepTheOutputs) {
  const NameCase cases[] = {
      {"C standard library function",
       {{"app.kivs", "def f(a) = printf\n"}},
       "app.kivs:1:5: Warning: Internal name 'printf' is a function of the C "
       "standard library; the two would clash when the application is built\n"},
      {"math function",
       {{"app.kivs", "def f(a) = sqrt\n"}},
       "app.kivs:1:5: Warning: Internal name 'sqrt' is a function of the C "
       "standard library; the two would clash when the application is built\n"},
      {"main",
       {{"app.kivs", "def f(a) = main\n"}},
       "app.kivs:1:5: Warning: Internal name 'main' is the C program's entry "
       "point; the two would clash when the application is built\n"},
      {"C++ keyword",
       {{"app.kivs", "def f(a) = namespace\n"}},
       "app.kivs:1:5: Warning: Internal name 'namespace' is a C++ keyword; the "
       "generated header cannot be included from C++\n"},
      {"C++ keyword in a member",
       {{"app.kivs", "+class\nclass C:\n    def m(self) = template\n"}},
       "app.kivs:3:9: Warning: Internal name 'template' is a C++ keyword; the "
       "generated header cannot be included from C++\n"},
      {"two underscores",
       {{"app.kivs", "def f(a) = __f\n"}},
       "app.kivs:1:5: Warning: Internal name '__f' is reserved to the C "
       "implementation (it starts with '__' or with '_' and an upper-case "
       "letter)\n"},
      {"underscore and upper case",
       {{"app.kivs", "def f(a) = _F\n"}},
       "app.kivs:1:5: Warning: Internal name '_F' is reserved to the C "
       "implementation (it starts with '__' or with '_' and an upper-case "
       "letter)\n"},
      {"parameter with an underscore",
       {{"app.kivs", "def f(a, _b=1) = F\n"}},
       "app.kivs:1:10: Warning: Parameter '_b' has the C name '__b', which is "
       "reserved to the C implementation\n"},
      {"errno, which is no function",
       {{"app.kivs", "def f(a) = errno\n"}},
       "app.kivs:1:5: Warning: Internal name 'errno' is a macro of the C "
       "standard library that stands for an object; the two would clash "
       "when the application is built\n"},
      {"parameter with an upper-case initial",
       {{"app.kivs", "def f(a, Value=1, *LP64) = F\n"}},
       "app.kivs:1:10: Warning: Parameter 'Value' has the C name '_Value', "
       "which is reserved to the C implementation\n"
       "app.kivs:1:20: Warning: Parameter 'LP64' has the C name '_LP64', "
       "which is reserved to the C implementation\n"},
      {"alias that is also a definition",
       {{"app.kivs", "import m\nimport n as k\nm = 1\ndef k(x) = K\n"},
        {"m.kivs", "x = 1\n"},
        {"n.kivs", "y = 1\n"}},
       "app.kivs:4:5: Warning: Name 'k' is also the alias of an imported "
       "module "
       "and shares its symbol; rename the definition or import the module "
       "under another alias\n"
       "app.kivs:3:1: Warning: Name 'm' is also the alias of an imported "
       "module "
       "and shares its symbol; rename the definition or import the module "
       "under another alias\n"},
  };
  std::vector<NameCase> all(std::begin(cases), std::end(cases));
  // The memory-order forms of <stdatomic.h> are functions as much as their
  // plain forms (libatomic exports the atomic_flag ones).
  for (const char* operation :
       {"store", "load", "exchange", "compare_exchange_strong",
        "compare_exchange_weak", "fetch_add", "fetch_sub", "fetch_or",
        "fetch_xor", "fetch_and", "flag_test_and_set", "flag_clear"}) {
    for (const std::string& name :
         {std::string("atomic_") + operation,
          std::string("atomic_") + operation + "_explicit"}) {
      all.push_back({"",
                     {{"app.kivs", "def f(a) = " + name + "\n"}},
                     "app.kivs:1:5: Warning: Internal name '" + name +
                         "' is a function of the C standard library; the two "
                         "would clash when the application is built\n"});
    }
  }
  for (const NameCase& c : all) {
    SCOPED_TRACE(c.label + c.files.at("app.kivs"));
    TempDir dir;
    const ProgramResult result = RunCase(dir, c);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, c.err);
    EXPECT_TRUE(dir.Exists("app.kivec"));
    EXPECT_TRUE(dir.Exists("app.h"));
    EXPECT_TRUE(dir.Exists("app.c"));
  }
}

struct HeaderCase {
  std::string source;                // SOURCE
  std::vector<std::string> options;  // before -q SOURCE
  std::string header;                // the file kivg writes
};

TEST(GeneratedNames, AHeaderThatHidesAnotherIsWarnedWithoutLocation) {
  const HeaderCase cases[] = {
      {"kiv.kivs", {}, "kiv.h"},
      {"kivd.kivs", {}, "kivd.h"},
      {"string.kivs", {}, "string.h"},
      {"stdint.kivs", {}, "stdint.h"},
      {"app.kivs", {"-c", "gen/stdio"}, "gen/stdio.h"},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.header);
    TempDir dir;
    dir.Write(c.source, "def f(a) = F\n");
    dir.MakeDir("gen");
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-q", c.source});
    const ProgramResult result = RunKivg(dir, args, "");
    EXPECT_EQ(result.status, 0);
    const std::string file = c.header.substr(c.header.find_last_of('/') + 1);
    EXPECT_EQ(result.err,
              "Warning: Generated header '" + file +
                  "' would hide the header of the same name on the "
                  "include path; rename the spec or its code files\n");
    EXPECT_TRUE(dir.Exists(c.header));
  }
  // The spec name alone does not hide anything once the code files are
  // named apart.
  TempDir dir;
  dir.Write("string.kivs", "def f(a) = F\n");
  const ProgramResult result =
      RunKivg(dir, {"-q", "-c", "app", "string.kivs"}, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

TEST(GeneratedNames, ValidNeighboursStaySilent) {
  const NameCase cases[] = {
      {"same count, other kinds and defaults",
       {{"app.kivs",
         "def a(x) = F\ndef b(*x) = F\ndef c(y=1) = F\ndef d(**z) = F\n"}},
       ""},
      {"same count, other library flag",
       {{"app.kivs", "include helpers\ndef a(x) = F\n"},
        {"helpers.kivs", "lib\ndef b(y) = F\n"}},
       ""},
      {"same count as the generated initializer",
       {{"app.kivs", "+class\ndef b(me) = KivLib_class_init\n"}},
       ""},
      {"the engine's library names",
       {{"app.kivs", "def f(a) = KivLib_abs\ndef g() = KivLib_x\n"}},
       ""},
      {"keywords and dispatch variables as parameter names",
       {{"app.kivs",
         "def f(int, default, engine, ns, returnValue, functionSymbol, "
         "moduleSymbol, "
         "void, size_t, complex_x, bool2, namespace) = F\n"}},
       ""},
      {"an underscore name of another function's parameter",
       {{"app.kivs", "def f(a) = _b\ndef g(b) = G\n"}},
       ""},
      {"an underscore and a lower-case letter",
       {{"app.kivs", "def f() = _lower\n"}},
       ""},
      {"names of other specs' generated code",
       {{"app.kivs",
         "def f(a) = KivDispatch_other\ndef g(a) = KIV_APP_other_SYM_f\n"}},
       ""},
      {"class feature names as aliases without the class feature",
       {{"app.kivs", "import m as __get__\n+class\n-class\n"},
        {"m.kivs", "x = 1\n"}},
       ""},
      {"a bare reserved name",
       {{"app.kivs", "__main__\nsys\nargs\ndef f(a) = F\n"}},
       ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const ProgramResult result = RunCase(dir, c);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(dir.Exists("app.c"));
  }
}

TEST(GeneratedNames, SourceNamesThatBreakTheIncludeLine) {
  // A tab is allowed: KivgCommandLine.TabStaysAllowedInTheIncludedName.
  const std::string sources[] = {"a\"b.kivs", "dir/q\".kivs",
                                 "line\nbreak.kivs",
                                 std::string("del\x7f.kivs")};
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    TempDir dir;
    dir.MakeDir("dir");
    dir.Write(source, "def f(a) = F\n");
    const ProgramResult result = RunKivg(dir, {"-q", source}, "");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Invalid source file name: " + source + "\n");
    EXPECT_EQ(dir.Files(), std::vector<std::string>{source});
  }
}

}  // namespace
