// The stand-in engine through its C interface: loading, argument binding,
// data memory, repeated calls, program counter and paging.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "include/kiv.h"
#include "standin/compiler/executable_writer.h"
#include "standin/engine/engine_results.h"
#include "tests/standin/encoded_spec_builder.h"
#include "tests/standin/value_text_for_tests.h"

namespace encoded_spec = kivformat::encoded_spec;

namespace {

constexpr uint32_t kCheck = 0x00C0FFEE;
// Symbols of the test spec: f(a, b=1), g(*values, sep=" "), K = 42.
constexpr int32_t kF = 64, kG = 65, kK = 66;
constexpr int32_t kA = 67, kB = 68, kValues = 69, kSep = 70, kUnknown = 99;

std::string TestSpec() {
  EncodedSpecBuilder spec;
  spec.Function(2).Parameter(kA).Defaulted(kB).Integer(1);
  spec.Function(2).TupleGroup(kValues).Defaulted(kSep).String(" ");
  spec.Constant().Integer(42);
  return spec.bytes();
}

struct Call {
  int32_t module;
  int32_t function;
  bool again;
  size_t programCounter;
  std::map<int32_t, std::string> arguments;  // text of each parameter
};

// What the test dispatch function sees and does.
struct Recorder {
  std::vector<Call> calls;
  KivRunResult result = KivRunResult_OK;
  int againsLeft = 0;  // calls to answer with KivRunResult_Again first
};
Recorder* recorder = nullptr;

KivRunResult Dispatch(KivEngine* engine, int32_t module, int32_t function,
                      KivDataEntry* ns, KivDataEntry** returnValue) {
  Call call{module, function, KivAgain(engine), KivProgramCounter(engine), {}};
  if (function == kF) {
    for (int32_t symbol : {kA, kB}) {
      KivDataEntry* value = KivParameterValue(engine, ns, symbol);
      if (value == nullptr) return KivRunResult_OutOfDataMemory;
      call.arguments[symbol] = Text(engine, value);
    }
  } else if (function == kG) {
    KivParameterResult values =
        KivGroupParameterValue(engine, ns, kValues, false);
    if (values.result != KivRunResult_OK) return values.result;
    call.arguments[kValues] = Text(engine, values.value);
    call.arguments[kSep] = Text(engine, KivParameterValue(engine, ns, kSep));
    // g returns its first value, as a new reference the engine takes over.
    int32_t count = 0;
    KivCount(engine, values.value, &count);
    if (count > 0)
      *returnValue = KivToString(engine, KivElement(engine, values.value, 0));
  }
  recorder->calls.push_back(call);
  if (recorder->againsLeft > 0) {
    --recorder->againsLeft;
    return KivRunResult_Again;
  }
  return recorder->result;
}

enum class LoadMode { Whole, Bytes, Paged };

struct MemoryFile {
  std::string bytes;
  int reads = 0;
};

int32_t ReadPage(void* id, uint32_t offset, size_t* size, uint8_t* buffer) {
  auto* file = static_cast<MemoryFile*>(id);
  ++file->reads;
  size_t available =
      offset < file->bytes.size() ? file->bytes.size() - offset : 0;
  if (*size > available) *size = available;
  std::memcpy(buffer, file->bytes.data() + offset, *size);
  return 0;
}

class StandInEngine : public ::testing::Test {
 protected:
  void SetUp() override { recorder = &recorder_; }
  void TearDown() override { recorder = nullptr; }

  KivRunResult Initialize(const std::string& specBytes, size_t entries = 256,
                          size_t codeSize = 4096, uint32_t check = kCheck) {
    specBytes_ = specBytes;
    spec_ = {specBytes_.data(), static_cast<uint32_t>(specBytes_.size()), check,
             Dispatch};
    data_.assign(entries * KivDataEntrySize() / sizeof(uint64_t) + 1, 0);
    code_.assign(codeSize, 0);
    return KivInitialize(&engine_, codeSize == 0 ? nullptr : code_.data(),
                         codeSize, data_.data(), entries * KivDataEntrySize(),
                         &spec_, &recorder_);
  }

  KivAddCodeResult Load(LoadMode mode, const std::string& executable,
                        uint8_t pages = 2, size_t pageSize = 16) {
    executable_ = executable;
    switch (mode) {
      case LoadMode::Whole:
        return KivSealCode(&engine_,
                           reinterpret_cast<const uint8_t*>(executable_.data()),
                           executable_.size());
      case LoadMode::Bytes:
        for (char byte : executable_) {
          uint8_t b = static_cast<uint8_t>(byte);
          KivAddCodeResult r = KivAddCode(&engine_, &b, 1);
          if (r != KivAddCodeResult_OK) return r;
        }
        return KivSeal(&engine_);
      case LoadMode::Paged:
        file_.bytes = executable_;
        EXPECT_EQ(KivSetCodePaging(&engine_, pages, pageSize, ReadPage),
                  KivRunResult_OK);
        return KivPageCode(&engine_, &file_);
    }
    return -1;
  }

  // Steps until the result is no longer 0; at most a thousand steps.
  KivRunResult Run() {
    KivRunResult result = KivRunResult_OK;
    for (int i = 0; i < 1000 && result == KivRunResult_OK; ++i)
      result = KivStep(&engine_);
    return result;
  }

  KivRunResult RunScript(const standin::ExecutableWriter& code) {
    EXPECT_EQ(Load(LoadMode::Whole, code.bytes()), KivAddCodeResult_OK);
    return Run();
  }

  KivEngine engine_;
  KivAppSpec spec_;
  std::string specBytes_;
  std::string executable_;
  std::vector<uint64_t> data_;
  std::vector<uint8_t> code_;
  MemoryFile file_;
  Recorder recorder_;
};

// f(5) then g("x", 2.5, sep="-")
standin::ExecutableWriter TwoCalls() {
  standin::ExecutableWriter code(kCheck);
  code.PushInteger(5);
  code.Call(0, kF, 1, {});
  code.Discard();
  code.PushString("x");
  code.PushFloat(2.5);
  code.PushString("-");
  code.Call(0, kG, 2, {kSep});
  code.Discard();
  code.End();
  return code;
}

TEST_F(StandInEngine, RunsTheSameCodeInEveryLoadingMode) {
  for (LoadMode mode : {LoadMode::Whole, LoadMode::Bytes, LoadMode::Paged}) {
    recorder_ = Recorder();
    ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
    ASSERT_EQ(Load(mode, TwoCalls().bytes()), KivAddCodeResult_OK);
    EXPECT_EQ(Run(), KivRunResult_Complete);
    ASSERT_EQ(recorder_.calls.size(), 2u);
    EXPECT_EQ(recorder_.calls[0].function, kF);
    EXPECT_EQ(recorder_.calls[0].arguments,
              (std::map<int32_t, std::string>{{kA, "5"}, {kB, "1"}}));
    EXPECT_EQ(recorder_.calls[1].function, kG);
    EXPECT_EQ(
        recorder_.calls[1].arguments,
        (std::map<int32_t, std::string>{{kValues, "('x', 2.5)"}, {kSep, "-"}}));
    // Every value went back to the data area.
    EXPECT_EQ(KivStep(&engine_), KivRunResult_Complete);
    uint8_t version[4];
    KivCodeVersion(&engine_, version);
    EXPECT_EQ(version[0], 1);
    KivReset(&engine_);
  }
}

TEST_F(StandInEngine, RefusesCodeOfAnotherSpecInEveryLoadingMode) {
  for (LoadMode mode : {LoadMode::Whole, LoadMode::Bytes, LoadMode::Paged}) {
    ASSERT_EQ(Initialize(TestSpec(), 256, 4096, kCheck + 1), KivRunResult_OK);
    EXPECT_EQ(Load(mode, TwoCalls().bytes()),
              KivAddCodeResult_InvalidCheckValue);
    EXPECT_EQ(KivStep(&engine_), engine_results::kNotLoaded);
  }
}

TEST_F(StandInEngine, RejectsBadExecutables) {
  std::string foreign = TwoCalls().bytes();
  foreign[0] = 'X';
  std::string newer = TwoCalls().bytes();
  newer[5] = 9;  // minor code version beyond the engine's
  struct Case {
    LoadMode mode;
    std::string bytes;
    KivAddCodeResult expected;
  } cases[] = {
      {LoadMode::Whole, foreign, engine_results::kInvalidExecutable},
      {LoadMode::Bytes, foreign, engine_results::kInvalidExecutable},
      {LoadMode::Whole, "KivE", engine_results::kInvalidExecutable},
      {LoadMode::Bytes, "", engine_results::kInvalidExecutable},
      {LoadMode::Paged, "", engine_results::kInvalidExecutable},
      {LoadMode::Whole, newer, engine_results::kUnsupportedCodeVersion},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
    EXPECT_EQ(Load(c.mode, c.bytes), c.expected) << c.bytes.size();
  }
}

TEST_F(StandInEngine, ByteLoadingStopsWhenTheCodeAreaIsFull) {
  const std::string code = TwoCalls().bytes();
  ASSERT_EQ(Initialize(TestSpec(), 256, code.size() - 1), KivRunResult_OK);
  EXPECT_EQ(Load(LoadMode::Bytes, code), engine_results::kCodeAreaFull);
}

TEST_F(StandInEngine, BindsArgumentsToParameters) {
  // Each row calls f or g with positional values and keyword values.
  struct Case {
    const char* name;
    int32_t function;
    std::vector<int64_t> positional;
    std::vector<std::pair<int32_t, int64_t>> keywords;
    KivRunResult expected;
    std::map<int32_t, std::string> arguments;
  } cases[] = {
      {"default", kF, {5}, {}, KivRunResult_Complete, {{kA, "5"}, {kB, "1"}}},
      {"both", kF, {5, 6}, {}, KivRunResult_Complete, {{kA, "5"}, {kB, "6"}}},
      {"keyword",
       kF,
       {5},
       {{kB, 7}},
       KivRunResult_Complete,
       {{kA, "5"}, {kB, "7"}}},
      {"keywords only",
       kF,
       {},
       {{kB, 7}, {kA, 8}},
       KivRunResult_Complete,
       {{kA, "8"}, {kB, "7"}}},
      {"missing", kF, {}, {}, engine_results::kMissingArgument, {}},
      {"too many", kF, {1, 2, 3}, {}, engine_results::kTooManyArguments, {}},
      {"twice", kF, {1}, {{kA, 2}}, engine_results::kDuplicateArgument, {}},
      {"unknown keyword",
       kF,
       {1},
       {{kUnknown, 2}},
       engine_results::kUnexpectedKeyword,
       {}},
      {"empty group",
       kG,
       {},
       {},
       KivRunResult_Complete,
       {{kValues, "()"}, {kSep, " "}}},
      {"group",
       kG,
       {1, 2, 3},
       {{kSep, 0}},
       KivRunResult_Complete,
       {{kValues, "(1, 2, 3)"}, {kSep, "0"}}},
      {"one",
       kG,
       {1},
       {},
       KivRunResult_Complete,
       {{kValues, "(1,)"}, {kSep, " "}}},
      {"group by keyword",
       kG,
       {},
       {{kValues, 1}},
       engine_results::kUnexpectedKeyword,
       {}},
  };
  for (const Case& c : cases) {
    recorder_ = Recorder();
    ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
    standin::ExecutableWriter code(kCheck);
    std::vector<int32_t> keywordSymbols;
    for (int64_t value : c.positional) code.PushInteger(value);
    for (auto [symbol, value] : c.keywords) {
      code.PushInteger(value);
      keywordSymbols.push_back(symbol);
    }
    code.Call(0, c.function, static_cast<uint8_t>(c.positional.size()),
              keywordSymbols);
    code.Discard();
    code.End();
    EXPECT_EQ(RunScript(code), c.expected) << c.name;
    if (c.expected == KivRunResult_Complete) {
      ASSERT_EQ(recorder_.calls.size(), 1u) << c.name;
      EXPECT_EQ(recorder_.calls[0].arguments, c.arguments) << c.name;
    } else {
      EXPECT_TRUE(recorder_.calls.empty()) << c.name;
    }
  }
}

TEST_F(StandInEngine, AppliesDefaultsOfEveryLiteralType) {
  constexpr int32_t kH = 64, kP = 65, kQ = 66, kR = 67, kS = 68;
  EncodedSpecBuilder spec;
  spec.Function(4)
      .Defaulted(kP)
      .Float(0.5)
      .Defaulted(kQ)
      .Boolean(true)
      .Defaulted(kR)
      .None()
      .Defaulted(kS)
      .String("a\"b");
  struct Capture {
    static KivRunResult Dispatch(KivEngine* engine, int32_t, int32_t,
                                 KivDataEntry* ns, KivDataEntry**) {
      Call call{};
      for (int32_t symbol : {kP, kQ, kR, kS})
        call.arguments[symbol] =
            Text(engine, KivParameterValue(engine, ns, symbol));
      recorder->calls.push_back(call);
      return KivRunResult_OK;
    }
  };
  ASSERT_EQ(Initialize(spec.bytes()), KivRunResult_OK);
  spec_.dispatch = Capture::Dispatch;
  standin::ExecutableWriter code(kCheck);
  code.Call(0, kH, 0, {});
  code.End();
  ASSERT_EQ(RunScript(code), KivRunResult_Complete);
  ASSERT_EQ(recorder_.calls.size(), 1u);
  EXPECT_EQ(recorder_.calls[0].arguments,
            (std::map<int32_t, std::string>{
                {kP, "0.5"}, {kQ, "True"}, {kR, "None"}, {kS, "a\"b"}}));
}

TEST_F(StandInEngine, PushesSpecConstantsAndScriptArguments) {
  ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
  standin::ExecutableWriter code(kCheck);
  code.PushConstant(0, kK);
  code.PushArguments();
  code.Call(0, kG, 2, {});
  code.Discard();
  code.End();
  ASSERT_EQ(Load(LoadMode::Whole, code.bytes()), KivAddCodeResult_OK);
  const char* args[] = {"one", "two", nullptr};
  ASSERT_EQ(KivSetArguments(&engine_, args), KivRunResult_OK);
  ASSERT_EQ(Run(), KivRunResult_Complete);
  ASSERT_EQ(recorder_.calls.size(), 1u);
  EXPECT_EQ(recorder_.calls[0].arguments[kValues], "(42, ('one', 'two'))");
}

TEST_F(StandInEngine, ReportsUndefinedFunctionsAndNames) {
  struct Case {
    uint8_t opcode;
    uint32_t module;
    int32_t symbol;
    KivRunResult expected;
  } cases[] = {
      {0, 0, kK,
       KivRunResult_UndefinedAppFunction},  // a constant is no function
      {0, 1, kF, KivRunResult_UndefinedAppFunction},  // no imports in this spec
      {1, 0, kF, engine_results::kUndefinedName},  // a function is no constant
      {1, 0, kUnknown, engine_results::kUndefinedName},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
    standin::ExecutableWriter code(kCheck);
    if (c.opcode == 0)
      code.Call(c.module, c.symbol, 0, {});
    else
      code.PushConstant(c.module, c.symbol);
    code.End();
    EXPECT_EQ(RunScript(code), c.expected);
    EXPECT_EQ(KivProgramCounter(&engine_), 12u);
  }
}

TEST_F(StandInEngine, CallsFunctionsOfImportedModules) {
  // Main module: f(a); imported module (alias 1, engine symbol -1): f(a, b=7).
  EncodedSpecBuilder spec;
  spec.Header(1, 0, 2).Import(-1);
  spec.Function(1).Word(kF).Parameter(kA);
  spec.ModuleBegin().Function(2).Word(kF).Parameter(kA).Defaulted(kB).Integer(
      7);
  ASSERT_EQ(Initialize(spec.bytes()), KivRunResult_OK);
  standin::ExecutableWriter code(kCheck);
  code.PushInteger(1);
  code.Call(1, kF, 1, {});
  code.PushInteger(2);
  code.Call(0, kF, 1, {});
  code.End();
  ASSERT_EQ(RunScript(code), KivRunResult_Complete);
  ASSERT_EQ(recorder_.calls.size(), 2u);
  EXPECT_EQ(recorder_.calls[0].module, -1);
  EXPECT_EQ(recorder_.calls[0].arguments,
            (std::map<int32_t, std::string>{{kA, "1"}, {kB, "7"}}));
  EXPECT_EQ(recorder_.calls[1].module, 0);
  EXPECT_EQ(recorder_.calls[1].arguments[kA], "2");
}

TEST_F(StandInEngine, ExhaustedDataMemoryEndsTheRun) {
  // A long string needs more entries than the area has.
  ASSERT_EQ(Initialize(TestSpec(), 4), KivRunResult_OK);
  EXPECT_EQ(KivMaxDataSize(&engine_), 4u);
  standin::ExecutableWriter code(kCheck);
  code.PushString(std::string(100, 'x'));
  code.End();
  EXPECT_EQ(RunScript(code), KivRunResult_OutOfDataMemory);
  EXPECT_EQ(KivProgramCounter(&engine_), 12u);

  // Binding a call needs entries beyond its arguments.
  for (size_t entries = 1; entries < 6; ++entries) {
    ASSERT_EQ(Initialize(TestSpec(), entries), KivRunResult_OK);
    standin::ExecutableWriter call(kCheck);
    call.PushInteger(5);
    call.Call(0, kF, 1, {});
    call.End();
    EXPECT_EQ(RunScript(call), KivRunResult_OutOfDataMemory) << entries;
    EXPECT_EQ(KivLowFreeCount(&engine_), 0u) << entries;
  }
}

TEST_F(StandInEngine, ReleasesValuesSoLongScriptsFitASmallArea) {
  ASSERT_EQ(Initialize(TestSpec(), 24), KivRunResult_OK);
  standin::ExecutableWriter code(kCheck);
  for (int i = 0; i < 200; ++i) {
    code.PushString("some text that spans chunks");
    code.PushInteger(i);
    code.Call(0, kG, 2, {});
    code.Discard();
  }
  code.End();
  EXPECT_EQ(RunScript(code), KivRunResult_Complete);
  EXPECT_EQ(recorder_.calls.size(), 200u);
  EXPECT_GT(KivLowFreeCount(&engine_), 0u);
  EXPECT_LT(KivLowFreeCount(&engine_), 24u);
}

TEST_F(StandInEngine, RepeatsACallThatAsksToBeCalledAgain) {
  ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
  ASSERT_EQ(Load(LoadMode::Whole, TwoCalls().bytes()), KivAddCodeResult_OK);
  recorder_.againsLeft = 2;
  EXPECT_EQ(KivStep(&engine_), KivRunResult_OK);  // push 5
  const size_t callAt = KivProgramCounter(&engine_);
  for (int step = 0; step < 3; ++step) {
    EXPECT_EQ(KivStep(&engine_), KivRunResult_OK);
    EXPECT_EQ(recorder_.calls.back().programCounter, callAt);
  }
  EXPECT_GT(KivProgramCounter(&engine_), callAt);
  ASSERT_EQ(recorder_.calls.size(), 3u);
  EXPECT_FALSE(recorder_.calls[0].again);
  EXPECT_TRUE(recorder_.calls[1].again);
  EXPECT_TRUE(recorder_.calls[2].again);
  EXPECT_EQ(recorder_.calls[2].arguments, recorder_.calls[0].arguments);
  EXPECT_EQ(Run(), KivRunResult_Complete);
  EXPECT_FALSE(recorder_.calls.back().again);
}

TEST_F(StandInEngine, ProgramCounterStaysOnAFailedCall) {
  ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
  standin::ExecutableWriter code(kCheck);
  code.PushInteger(5);
  code.Call(0, kF, 1, {});
  code.Discard();
  const size_t failing = code.programCounter() + 9;  // after PushInteger
  code.PushInteger(6);
  code.Call(0, kF, 1, {});
  code.End();
  ASSERT_EQ(Load(LoadMode::Whole, code.bytes()), KivAddCodeResult_OK);
  recorder_.result = KivRunResult_UnexpectedType;
  EXPECT_EQ(Run(), KivRunResult_UnexpectedType);
  EXPECT_EQ(recorder_.calls.size(), 1u);
  EXPECT_EQ(KivProgramCounter(&engine_),
            21u);  // the first call, after its push
  recorder_.result = KivRunResult_OK;
  EXPECT_EQ(Run(), KivRunResult_Complete);
  EXPECT_EQ(recorder_.calls[2].programCounter, failing);
}

TEST_F(StandInEngine, ReadsPagesOnDemandAndCountsTheReads) {
  standin::ExecutableWriter code(kCheck);
  for (int i = 0; i < 10; ++i) {
    code.PushInteger(i);
    code.Call(0, kF, 1, {});
    code.Discard();
  }
  code.End();
  struct Case {
    uint8_t pages;
    size_t pageSize;
  } cases[] = {{1, 7}, {2, 16}, {3, 64}, {255, 1}};
  for (const Case& c : cases) {
    recorder_ = Recorder();
    file_ = MemoryFile();
    ASSERT_EQ(Initialize(TestSpec(), 64, c.pages * c.pageSize),
              KivRunResult_OK);
    ASSERT_EQ(Load(LoadMode::Paged, code.bytes(), c.pages, c.pageSize),
              KivAddCodeResult_OK);
    EXPECT_EQ(Run(), KivRunResult_Complete) << c.pageSize;
    EXPECT_EQ(recorder_.calls.size(), 10u);
    EXPECT_EQ(KivCodePageReadCount(&engine_, false), size_t(file_.reads));
    EXPECT_GE(size_t(file_.reads),
              (code.bytes().size() + c.pageSize - 1) / c.pageSize);
    EXPECT_EQ(KivCodePageReadCount(&engine_, true), size_t(file_.reads));
    EXPECT_EQ(KivCodePageReadCount(&engine_, false), 0u);
  }
  // Pages that do not fit the code area are refused.
  ASSERT_EQ(Initialize(TestSpec(), 64, 100), KivRunResult_OK);
  EXPECT_EQ(KivSetCodePaging(&engine_, 2, 51, ReadPage),
            engine_results::kInvalidArgument);
  EXPECT_EQ(KivPageCode(&engine_, &file_), engine_results::kWrongLoadState);
}

TEST_F(StandInEngine, PageReadFailuresReachTheCaller) {
  struct Failing {
    static int32_t Read(void*, uint32_t, size_t*, uint8_t*) { return 256; }
  };
  ASSERT_EQ(Initialize(TestSpec()), KivRunResult_OK);
  ASSERT_EQ(KivSetCodePaging(&engine_, 2, 16, Failing::Read), KivRunResult_OK);
  EXPECT_EQ(KivPageCode(&engine_, nullptr), engine_results::kPageReadError);
}

TEST_F(StandInEngine, RefusesMalformedSpecs) {
  EncodedSpecBuilder truncated;
  truncated.Function(2).Parameter(kA);
  EncodedSpecBuilder unclosedClass;
  unclosedClass.Header(2, 1, 1).ClassBegin(64);
  EncodedSpecBuilder strayModule;
  strayModule.Header(1, 0, 1).ModuleBegin();
  for (const std::string& bytes :
       {truncated.bytes(), unclosedClass.bytes(), strayModule.bytes(),
        std::string("\xFF\xFF\x01\x00", 4), std::string("\xFF\x07", 2)}) {
    EXPECT_EQ(Initialize(bytes), engine_results::kInvalidAppSpec);
    EXPECT_EQ(KivStep(&engine_), engine_results::kNotLoaded);
  }
}

TEST_F(StandInEngine, CallsClassMembersByQualifiedSymbol) {
  // class C (70) with member m (71) whose qualified name C:m is 80, and a
  // module-level m of its own.
  EncodedSpecBuilder spec;
  spec.Header(2, 1, 1);
  spec.ClassBegin(70);
  spec.Function(1)
      .Word(71 | encoded_spec::kMemberFunctionFlag)
      .Word(80)
      .Parameter(kA);
  spec.ClassEnd();
  spec.Function(0).Word(71);
  ASSERT_EQ(Initialize(spec.bytes()), KivRunResult_OK);
  standin::ExecutableWriter code(kCheck);
  code.Call(0, 71, 0, {});
  code.PushInteger(3);
  code.Call(0, 80, 1, {});
  code.Call(0, 70, 0, {});
  code.End();
  EXPECT_EQ(RunScript(code), KivRunResult_UndefinedAppFunction);
  ASSERT_EQ(recorder_.calls.size(), 2u);
  EXPECT_EQ(recorder_.calls[0].function, 71);
  EXPECT_EQ(recorder_.calls[1].function, 80);
}

TEST_F(StandInEngine, RefusesUnalignedDataAndMissingSpecs) {
  std::vector<uint64_t> data(64);
  EXPECT_EQ(KivInitialize(&engine_, nullptr, 0,
                          reinterpret_cast<char*>(data.data()) + 1, 256, &spec_,
                          nullptr),
            engine_results::kInvalidArgument);
  EXPECT_EQ(
      KivInitialize(&engine_, nullptr, 0, data.data(), 256, nullptr, nullptr),
      engine_results::kInvalidArgument);
}

}  // namespace
