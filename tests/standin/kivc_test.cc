// kivc run as a user runs it: its messages and exit status for every kind of
// error, the files it writes, and a compiled script whose source-info file
// leads each call the engine makes back to its line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/kiv.h"
#include "include/kivd.h"
#include "tests/standin/encoded_spec_builder.h"
#include "tests/standin/value_text_for_tests.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr uint32_t kCheck = 0x12345678;
// Names of the test spec in file order: alias m, then K, f, g, then the
// parameters a, b, values, sep.
constexpr int32_t kM = 64, kK = 65, kF = 66, kG = 67, kA = 68, kB = 69,
                  kValues = 70, kSep = 71;

std::string SpecFile() {
  std::string bytes = "KivS\x02";
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes += static_cast<char>(kCheck >> shift & 0xFF);
  for (const char* name : {"m", "", "K", "f", "g", "a", "b", "values", "sep"})
    bytes += std::string(name) + " ";
  return bytes;
}

// The same spec as generated code would hand it to the engine.
std::string EncodedSpec() {
  EncodedSpecBuilder spec;
  spec.Header(1, 0, 2).Import(-1);
  spec.Constant().Word(kK).Integer(42);
  spec.Function(2).Word(kF).Parameter(kA).Defaulted(kB).Integer(1);
  spec.Function(2).Word(kG).TupleGroup(kValues).Defaulted(kSep).String(" ");
  spec.ModuleBegin().Function(1).Word(kF).Parameter(kA);
  return spec.bytes();
}

const char kUsage[] = "Usage: kivc SPEC.kivec SCRIPT [-o BASE]\n";

class Kivc : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Write("app.kivec", SpecFile()); }

  ProgramResult Compile(const std::vector<std::string>& args) {
    RunOptions options;
    options.workDir = dir_.path();
    return RunProgram(BinPath("kivc"), args, options);
  }

  TempDir dir_;
};

TEST_F(Kivc, ReportsEachScriptErrorWithItsLocation) {
  std::string manyArguments;
  for (int i = 0; i < 256; ++i) manyArguments += "1,";
  struct Case {
    std::string script;
    std::string message;
  } cases[] = {
      {"f(1", "1:4: expected ',' or ')' at the end of the line"},
      {"f(1 2)", "1:5: expected ',' or ')' before '2'"},
      {"f(1))", "1:5: unexpected text after the call"},
      {"42", "1:1: expected a call"},
      {"f", "1:1: expected a call"},
      {"f('abc)", "1:3: unterminated string"},
      {"f('a\\q')", "1:5: invalid escape sequence '\\q'"},
      {"f('\\x4')", "1:4: invalid escape sequence '\\x'"},
      {"f(99999999999999999999)", "1:3: integer literal out of range"},
      {"f(-9223372036854775809)", "1:3: integer literal out of range"},
      {"f(1e999)", "1:3: float literal out of range"},
      {"f(1x)", "1:3: invalid number '1x'"},
      {"f(0x)", "1:3: invalid number '0x'"},
      {"f(@)", "1:3: unexpected character '@'"},
      {"f(m.)", "1:5: expected a name after '.' before ')'"},
      {"h(1)", "1:1: unknown name 'h'"},
      {"f(zz)", "1:3: unknown name 'zz'"},
      {"q.f(1)", "1:1: unknown module alias 'q'"},
      {"  m.h(1)", "1:5: unknown name 'h'"},
      {"f(c=1)", "1:3: unknown keyword 'c'"},
      {"f(a=1, 2)", "1:8: positional argument after keyword argument"},
      {"f(a=1, a=2)", "1:8: keyword 'a' given more than once"},
      {"f(" + manyArguments + ")", "1:1: too many arguments"},
  };
  for (const Case& c : cases) {
    dir_.Write("s.kiv", "# first line\n" + c.script + "\n");
    ProgramResult result = Compile({"app.kivec", "s.kiv"});
    // The script's second line holds the statement.
    std::string expected = "s.kiv:2" + c.message.substr(1) + "\n";
    EXPECT_EQ(result.err, expected) << c.script;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 1) << c.script;
    EXPECT_FALSE(dir_.Exists("s.kive"));
    EXPECT_FALSE(dir_.Exists("s.kivd"));
  }
}

TEST_F(Kivc, ReportsEveryBadLine) {
  dir_.Write("s.kiv", "f(1)\nh()\n\nf(,)\nf(2)\n");
  ProgramResult result = Compile({"app.kivec", "s.kiv"});
  EXPECT_EQ(result.err,
            "s.kiv:2:1: unknown name 'h'\n"
            "s.kiv:4:3: unexpected character ','\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(dir_.Files(), (std::vector<std::string>{"app.kivec", "s.kiv"}));
}

TEST_F(Kivc, ReportsCommandLineAndFileErrors) {
  dir_.Write("s.kiv", "f(1)\n");
  dir_.Write("bad.kivec", "KivX\x01\0\0\0\0");
  dir_.Write("cut.kivec", std::string("KivS\x02\0\0\0\0m", 10));
  dir_.Write("old.kivec", std::string("KivS\x07\0\0\0\0", 9));
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{}, kUsage},
      {{"app.kivec"}, kUsage},
      {{"app.kivec", "s.kiv", "more"}, kUsage},
      {{"app.kivec", "s.kiv", "-o"}, kUsage},
      {{"-x", "app.kivec", "s.kiv"},
       std::string("kivc: invalid option '-x'\n") + kUsage},
      {{"nope.kivec", "s.kiv"},
       "kivc: cannot open 'nope.kivec': No such file or directory\n"},
      {{"bad.kivec", "s.kiv"}, "bad.kivec: not an application spec file\n"},
      {{"cut.kivec", "s.kiv"}, "cut.kivec: spec file is cut off\n"},
      {{"old.kivec", "s.kiv"},
       "old.kivec: unsupported spec file format version 7\n"},
      {{"app.kivec", "nope.kiv"},
       "kivc: cannot open 'nope.kiv': No such file or directory\n"},
      {{"app.kivec", "s.kiv", "-o", "no/dir/x"},
       "kivc: cannot write 'no/dir/x.kive': No such file or directory\n"},
  };
  for (const Case& c : cases) {
    ProgramResult result = Compile(c.args);
    EXPECT_EQ(result.err, c.err) << c.err;
    EXPECT_EQ(result.status, 1) << c.err;
    EXPECT_FALSE(dir_.Exists("s.kive"));
  }
}

// Asked for its usage, wherever -h stands, kivc prints only that.
TEST_F(Kivc, HelpIsTheUsageAlone) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-h"},
        std::vector<std::string>{"app.kivec", "-h", "s.kiv"}}) {
    const ProgramResult result = Compile(args);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, kUsage);
  }
}

TEST_F(Kivc, NamesItsOutputsAfterTheScript) {
  dir_.Write("hello.kiv", "f(1)\n");
  dir_.Write("plain", "f(1)\n");
  EXPECT_EQ(Compile({"app.kivec", "hello.kiv"}).status, 0);
  EXPECT_EQ(Compile({"app.kivec", "plain"}).status, 0);
  EXPECT_EQ(Compile({"-o", "out/other", "app.kivec", "hello.kiv"}).status, 1);
  dir_.MakeDir("out");
  ProgramResult result = Compile({"app.kivec", "hello.kiv", "-o", "out/other"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out + result.err, "");
  EXPECT_EQ(dir_.Files(), (std::vector<std::string>{
                              "app.kivec", "hello.kiv", "hello.kivd",
                              "hello.kive", "out/other.kivd", "out/other.kive",
                              "plain", "plain.kivd", "plain.kive"}));
}

// Records the program counter of every app-function call.
struct Seen {
  int32_t module;
  int32_t function;
  size_t programCounter;
  std::string arguments;
};
std::vector<Seen>* seen = nullptr;

KivRunResult Record(KivEngine* engine, int32_t module, int32_t function,
                    KivDataEntry* ns, KivDataEntry** returnValue) {
  Seen call{module, function, KivProgramCounter(engine), ""};
  if (function == kG) {
    call.arguments =
        Text(engine, KivGroupParameterValue(engine, ns, kValues, false).value) +
        " sep=" + Text(engine, KivParameterValue(engine, ns, kSep));
  } else {
    call.arguments = Text(engine, KivParameterValue(engine, ns, kA));
    if (module == 0)
      call.arguments += " b=" + Text(engine, KivParameterValue(engine, ns, kB));
    *returnValue = KivToString(engine, KivParameterValue(engine, ns, kA));
  }
  seen->push_back(call);
  return KivRunResult_OK;
}

TEST_F(Kivc, SourceInfoLeadsEachCallBackToItsLine) {
  dir_.Write(
      "prog.kiv",
      "# calls on lines 3, 4 and 5\n"
      "\n"
      "f(1)\n"
      "g(\"x\\t\", K, None, True, ..., -2.5, 0x1F, args, sep='-')  # comment\n"
      "  m.f(f(2, b=3))\n");
  ProgramResult result = Compile({"app.kivec", "prog.kiv"});
  ASSERT_EQ(result.err, "");
  ASSERT_EQ(result.status, 0);

  const std::string specBytes = EncodedSpec();
  KivAppSpec spec = {specBytes.data(), uint32_t(specBytes.size()), kCheck,
                     Record};
  std::vector<uint64_t> data(512 * KivDataEntrySize() / 8);
  KivEngine engine;
  ASSERT_EQ(KivInitialize(&engine, nullptr, 0, data.data(), data.size() * 8,
                          &spec, nullptr),
            KivRunResult_OK);
  const std::string code = dir_.Read("prog.kive");
  ASSERT_EQ(KivSealCode(&engine, reinterpret_cast<const uint8_t*>(code.data()),
                        code.size()),
            KivAddCodeResult_OK);
  const char* args[] = {"arg", nullptr};
  ASSERT_EQ(KivSetArguments(&engine, args), KivRunResult_OK);
  std::vector<Seen> calls;
  seen = &calls;
  KivRunResult run = KivRunResult_OK;
  while (run == KivRunResult_OK) run = KivStep(&engine);
  seen = nullptr;
  EXPECT_EQ(run, KivRunResult_Complete);

  KivSourceInfo* info =
      KivLoadSourceInfoFromFile(dir_.Path("prog.kivd").c_str());
  ASSERT_NE(info, nullptr);
  struct Expected {
    int32_t module, function;
    uint32_t line, column;
    std::string arguments;
  } expected[] = {
      {0, kF, 3, 1, "1 b=1"},
      {0, kG, 4, 1,
       "('x\\t', 42, None, True, Ellipsis, -2.5, 31, ('arg',)) sep=-"},
      {0, kF, 5, 7, "2 b=3"},
      {-1, kF, 5, 3, "2"},
  };
  ASSERT_EQ(calls.size(), std::size(expected));
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].module, expected[i].module) << i;
    EXPECT_EQ(calls[i].function, expected[i].function) << i;
    EXPECT_EQ(calls[i].arguments, expected[i].arguments) << i;
    KivSourceLocation location = KivGetSourceLocation(
        info, static_cast<uint32_t>(calls[i].programCounter));
    ASSERT_NE(location.fileName, nullptr) << i;
    EXPECT_STREQ(location.fileName, "prog.kiv");
    EXPECT_EQ(location.line, expected[i].line) << i;
    EXPECT_EQ(location.column, expected[i].column) << i;
  }
  // Every name of the spec, the reserved ones included.
  EXPECT_STREQ(KivGetSymbolName(info, kM), "m");
  EXPECT_STREQ(KivGetSymbolName(info, kSep), "sep");
  EXPECT_STREQ(KivGetSymbolName(info, 1), "args");
  EXPECT_STREQ(KivGetSymbolName(info, 3), "");  // no class feature in this spec
  EXPECT_STREQ(KivGetSourceFileName(info, 0), "prog.kiv");
  EXPECT_EQ(KivGetSourceFileName(info, 1), nullptr);
  KivUnloadSourceInfo(info);
}

}  // namespace
