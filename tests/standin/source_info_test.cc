// The stand-in source-info library: locations, names and file lists from a
// file built with kivc's writer, and refusal of every damaged file.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "include/kiv.h"
#include "include/kivd.h"
#include "standin/compiler/source_info_writer.h"
#include "standin/engine/engine_results.h"
#include "tests/support/temp_dir.h"

namespace {

std::string SampleFile() {
  standin::SourceInfoWriter writer;
  uint32_t main = writer.AddFile("main.kiv");
  uint32_t lib = writer.AddFile("lib/helpers.kiv");
  writer.AddPosition(12, main, 1, 1);
  writer.AddPosition(21, main, 1, 5);
  writer.AddPosition(40, lib, 7, 3);
  writer.AddSymbol(0, "sys");
  writer.AddSymbol(64, "print");
  writer.AddSymbol(-1, "minus");
  return writer.Bytes();
}

class SourceInfoFile : public ::testing::Test {
 protected:
  KivSourceInfo* Load(const std::string& bytes) {
    const std::string path = dir_.Write("script.kivd", bytes);
    errno = 0;
    return KivLoadSourceInfoFromFile(path.c_str());
  }

  TempDir dir_;
};

TEST_F(SourceInfoFile, TranslatesProgramCounters) {
  KivSourceInfo* info = Load(SampleFile());
  ASSERT_NE(info, nullptr);
  struct Case {
    uint32_t programCounter;
    const char* file;  // null: no source
    uint32_t line, column;
  } cases[] = {
      {12, "main.kiv", 1, 1},        {21, "main.kiv", 1, 5},
      {40, "lib/helpers.kiv", 7, 3}, {0, nullptr, 0, 0},
      {13, nullptr, 0, 0},           {41, nullptr, 0, 0},
      {0xFFFFFFFF, nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    KivSourceLocation location = KivGetSourceLocation(info, c.programCounter);
    if (c.file == nullptr) {
      EXPECT_EQ(location.fileName, nullptr) << c.programCounter;
      continue;
    }
    ASSERT_NE(location.fileName, nullptr) << c.programCounter;
    EXPECT_STREQ(location.fileName, c.file);
    EXPECT_EQ(location.line, c.line);
    EXPECT_EQ(location.column, c.column);
  }
  KivUnloadSourceInfo(info);
}

TEST_F(SourceInfoFile, ListsFilesAndNamesSymbols) {
  KivSourceInfo* info = Load(SampleFile());
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(KivGetSourceFileName(info, 0), "main.kiv");
  EXPECT_STREQ(KivGetSourceFileName(info, 1), "lib/helpers.kiv");
  EXPECT_EQ(KivGetSourceFileName(info, 2), nullptr);
  EXPECT_STREQ(KivGetSymbolName(info, 0), "sys");
  EXPECT_STREQ(KivGetSymbolName(info, 64), "print");
  EXPECT_STREQ(KivGetSymbolName(info, -1), "minus");
  EXPECT_STREQ(KivGetSymbolName(info, 65), "");
  KivUnloadSourceInfo(info);
}

TEST_F(SourceInfoFile, AFileWithoutNamesSaysSo) {
  standin::SourceInfoWriter writer;
  writer.AddFile("a.kiv");
  writer.OmitSymbolNames();
  KivSourceInfo* info = Load(writer.Bytes());
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(KivGetSymbolName(info, 64), nullptr);
  EXPECT_STREQ(KivGetSourceFileName(info, 0), "a.kiv");
  KivUnloadSourceInfo(info);
}

TEST_F(SourceInfoFile, RefusesEveryTruncation) {
  const std::string whole = SampleFile();
  for (size_t length = 0; length < whole.size(); ++length) {
    EXPECT_EQ(Load(whole.substr(0, length)), nullptr) << length;
    EXPECT_EQ(errno, 0) << length;
  }
}

TEST_F(SourceInfoFile, RefusesCorruptFiles) {
  const std::string whole = SampleFile();
  // Offsets into the sample: 6 file count, 10 first name length, then the
  // positions after the two names at 36.
  auto with = [&](size_t offset, const std::string& bytes) {
    std::string changed = whole;
    changed.replace(offset, bytes.size(), bytes);
    return changed;
  };
  const size_t positions = 6 + 4 + (4 + 8) + (4 + 15);
  const size_t secondFile = positions + 4 + 16 + 4;
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"magic", with(0, "KivX")},
      {"version", with(4, std::string(1, '\x02'))},
      {"flags", with(5, std::string(1, '\x80'))},
      {"huge file count", with(6, "\x7F\xFF\xFF\xFF")},
      {"name longer than file", with(10, std::string("\x00\x10\x00\x00", 4))},
      {"zero byte in name", with(14, std::string(1, '\0'))},
      {"huge position count", with(positions, "\xFF\xFF\xFF\xFF")},
      {"file index out of range",
       with(secondFile, std::string("\x00\x00\x00\x02", 4))},
      {"counters not ascending",
       with(positions + 4, std::string("\x00\x00\x00\x30", 4))},
      {"trailing byte", whole + "x"},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.bytes), nullptr) << c.name;
    EXPECT_EQ(errno, 0) << c.name;
  }
}

TEST_F(SourceInfoFile, ReportsSystemErrors) {
  errno = 0;
  EXPECT_EQ(KivLoadSourceInfoFromFile(dir_.Path("missing.kivd").c_str()),
            nullptr);
  EXPECT_EQ(errno, ENOENT);
  errno = 0;
  EXPECT_EQ(KivLoadSourceInfoFromFile(dir_.path().c_str()), nullptr);
  EXPECT_EQ(errno, EISDIR);
}

TEST(ResultTexts, NameEveryKnownCodeAndOthersGenerically) {
  EXPECT_STREQ(KivRunResultToString(KivRunResult_OutOfDataMemory),
               "Out of data memory");
  EXPECT_STREQ(KivRunResultToString(KivRunResult_UnexpectedType),
               "Unexpected type");
  EXPECT_STREQ(KivRunResultToString(engine_results::kNotSupported),
               "Not supported by the stand-in engine");
  EXPECT_STREQ(KivRunResultToString(-5), "Unknown run result");
  EXPECT_STREQ(KivAddCodeResultToString(KivAddCodeResult_InvalidCheckValue),
               "Invalid check value");
  EXPECT_STREQ(KivAddCodeResultToString(77), "Unknown add code result");
  // Every code the stand-in engine returns has a text of its own.
  for (int32_t code :
       {engine_results::kNotLoaded, engine_results::kInvalidInstruction,
        engine_results::kCodeReadError, engine_results::kInvalidAppSpec,
        engine_results::kInvalidArgument, engine_results::kTooManyArguments,
        engine_results::kMissingArgument, engine_results::kUnexpectedKeyword,
        engine_results::kDuplicateArgument, engine_results::kValueError,
        engine_results::kScriptExit, engine_results::kUndefinedName,
        engine_results::kStackError, int32_t{KivRunResult_Complete},
        int32_t{KivRunResult_UndefinedAppFunction},
        int32_t{KivRunResult_Again}})
    EXPECT_STRNE(KivRunResultToString(code), "Unknown run result") << code;
  for (int32_t code :
       {engine_results::kInvalidExecutable, engine_results::kCodeAreaFull,
        engine_results::kUnsupportedCodeVersion,
        engine_results::kWrongLoadState, engine_results::kPageReadError})
    EXPECT_STRNE(KivAddCodeResultToString(code), "Unknown add code result")
        << code;
}

}  // namespace
