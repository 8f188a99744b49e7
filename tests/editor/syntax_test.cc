// The editor files run through the engines that read them. The TextMate
// grammar is tokenized by the library VS Code uses, the Vim syntax file by Vim
// in batch mode, both on an annotated fixture and on numerals and strings
// whose verdict comes from the spec lexer itself; the manual page is rendered
// by man and groff with warnings on.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "generator/frontend/lexer.h"
#include "generator/frontend/token.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

using kivg::Lexer;
using kivg::Token;
using kivg::TokenType;

namespace {

using Position = std::pair<int, int>;  // line, column; both from 1

bool Found(const std::string& program) {
  return !program.empty() && program.find("NOTFOUND") == std::string::npos;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// An annotated fixture: source lines, each followed by assertion lines
//   #    ^^^ textmate.scope | vimItem     (the columns of the carets)
//   # <- textmate.scope | vimItem         (column 1)
struct Expectation {
  std::string scope;
  std::string item;
  int fixtureLine;
};
struct Fixture {
  std::string source;  // the fixture without its assertion lines
  std::map<Position, Expectation> expected;
  std::set<int> nonBlankLines;
};

Fixture ReadFixture(const std::string& path) {
  static const std::regex assertion(R"(^#( <-|( *)(\^+)) (\S+) \| (\S+)$)");
  Fixture fixture;
  int sourceLine = 0;
  int fixtureLine = 0;
  for (const std::string& line : SplitLines(ReadFile(path))) {
    ++fixtureLine;
    std::smatch m;
    if (std::regex_match(line, m, assertion)) {
      int first = 1, last = 1;
      if (m[1] != " <-") {
        first = 2 + static_cast<int>(m[2].length());
        last = first + static_cast<int>(m[3].length()) - 1;
      }
      for (int column = first; column <= last; ++column)
        fixture.expected[{sourceLine, column}] = {m[4], m[5], fixtureLine};
      continue;
    }
    ++sourceLine;
    fixture.source += line + "\n";
    if (line.find_first_not_of(" \t") != std::string::npos)
      fixture.nonBlankLines.insert(sourceLine);
  }
  return fixture;
}

std::string FixturePath() {
  return SourcePath("tests/editor/every_token.kivs");
}

// Innermost TextMate scope at every column, and the token start of each.
struct TextMateResult {
  std::map<Position, std::string> scope;
  std::map<Position, int> tokenStart;  // column where the covering token starts
  std::map<Position, int> tokenLength;
  std::string error;
};

TextMateResult TokenizeWithTextMate(const std::string& sourcePath) {
  TextMateResult result;
  if (!Found(KIV_NODE)) {
    result.error =
        "node was not found; scripts/install-packages.sh installs it";
    return result;
  }
  if (!std::ifstream(std::string(KIV_NODE_MODULES) +
                     "/vscode-textmate/package.json")) {
    result.error = "the tokenizer is not installed in " KIV_NODE_MODULES
                   "; configuring the build installs it with npm ci";
    return result;
  }
  ProgramResult run = RunProgram(
      KIV_NODE,
      {SourcePath("tests/editor/textmate_tokens.js"), KIV_NODE_MODULES,
       SourcePath("editor/vscode/syntaxes/kivs.tmLanguage.json"), sourcePath});
  if (run.status != 0) {
    result.error = "tokenizer failed: " + run.err.substr(0, 2000);
    return result;
  }
  static const std::regex row(R"(^(\d+):(\d+):(\d+) (.*)$)");
  for (const std::string& line : SplitLines(run.out)) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    const int number = std::stoi(m[1]), start = std::stoi(m[2]),
              length = std::stoi(m[3]);
    const std::string scopes = m[4];
    const std::string innermost = scopes.substr(scopes.rfind(' ') + 1);
    for (int column = start; column < start + length; ++column) {
      result.scope[{number, column}] = innermost;
      result.tokenStart[{number, column}] = start;
      result.tokenLength[{number, column}] = length;
    }
  }
  return result;
}

struct VimResult {
  std::string fileType;
  std::map<Position, std::string> item;
  std::map<Position, std::string> highlight;
  std::string error;
};

VimResult HighlightWithVim(const TempDir& dir, const std::string& sourcePath) {
  VimResult result;
  if (!Found(KIV_VIM)) {
    result.error = "vim was not found; scripts/install-packages.sh installs it";
    return result;
  }
  const std::string dump = dir.Path("vim-dump.txt");
  ProgramResult run = RunProgram(
      KIV_VIM,
      {"-Nu",   "NONE",
       "-i",    "NONE",
       "-n",    "-es",
       "--cmd", "set runtimepath^=" + SourcePath("editor/vim"),
       "-c",    "filetype plugin on",
       "-c",    "syntax on",
       "-c",    "edit " + sourcePath,
       "-c",    "let g:kivs_dump = '" + dump + "'",
       "-c",    "source " + SourcePath("tests/editor/vim_syntax_dump.vim"),
       "-c",    "qa!"});
  if (run.status != 0 || !dir.Exists("vim-dump.txt")) {
    result.error = "vim failed: " + run.err;
    return result;
  }
  static const std::regex row(R"(^(\d+):(\d+) (\S+) (\S+)$)");
  for (const std::string& line : SplitLines(ReadFile(dump))) {
    if (line.rfind("filetype=", 0) == 0) {
      result.fileType = line.substr(9);
      continue;
    }
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    const Position at{std::stoi(m[1]), std::stoi(m[2])};
    result.item[at] = m[3];
    result.highlight[at] = m[4];
  }
  return result;
}

std::string Where(const Position& at, const Expectation& expected) {
  return "source line " + std::to_string(at.first) + ", column " +
         std::to_string(at.second) + " (assertion on fixture line " +
         std::to_string(expected.fixtureLine) + ")";
}

TEST(TextMateGrammar, GivesEveryTokenOfTheFixtureItsScope) {
  const Fixture fixture = ReadFixture(FixturePath());
  TempDir dir;
  const TextMateResult tm =
      TokenizeWithTextMate(dir.Write("every_token.kivs", fixture.source));
  ASSERT_EQ(tm.error, "");
  for (const auto& [at, expected] : fixture.expected) {
    auto found = tm.scope.find(at);
    const std::string actual =
        found == tm.scope.end() ? "(no token)" : found->second;
    EXPECT_EQ(actual, expected.scope) << Where(at, expected);
  }
  // Every token of the fixture has at least one asserted column, so no token
  // kind goes unchecked.
  std::set<std::pair<int, int>> checkedTokens;
  for (const auto& [at, expected] : fixture.expected)
    if (tm.tokenStart.count(at))
      checkedTokens.insert({at.first, tm.tokenStart.at(at)});
  const std::vector<std::string> lines = SplitLines(fixture.source);
  for (const auto& [at, start] : tm.tokenStart) {
    if (at.second != start) continue;
    const std::string text =
        lines[at.first - 1].substr(start - 1, tm.tokenLength.at(at));
    if (text.find_first_not_of(" \t") == std::string::npos) continue;
    EXPECT_TRUE(checkedTokens.count({at.first, start}))
        << "token '" << text << "' at line " << at.first << ", column " << start
        << " has no assertion";
  }
  for (int line : fixture.nonBlankLines) {
    bool asserted = false;
    for (const auto& [at, expected] : fixture.expected)
      asserted |= at.first == line;
    EXPECT_TRUE(asserted) << "source line " << line << " has no assertion";
  }
}

TEST(VimSyntax, DetectsTheFileTypeAndGivesEveryTokenItsItem) {
  const Fixture fixture = ReadFixture(FixturePath());
  TempDir dir;
  const VimResult vim =
      HighlightWithVim(dir, dir.Write("every_token.kivs", fixture.source));
  ASSERT_EQ(vim.error, "");
  EXPECT_EQ(vim.fileType, "kivs");
  for (const auto& [at, expected] : fixture.expected) {
    auto found = vim.item.find(at);
    const std::string actual =
        found == vim.item.end() ? "(none)" : found->second;
    EXPECT_EQ(actual, expected.item) << Where(at, expected);
    // What the TextMate grammar calls invalid, Vim shows as an error, and
    // nothing else.
    const bool invalid = expected.scope.rfind("invalid.", 0) == 0;
    if (found != vim.item.end()) {
      EXPECT_EQ(vim.highlight.at(at) == "Error", invalid)
          << Where(at, expected);
    }
  }
}

// Every keyword of the token list in each place where the grammars tell
// names from keywords: the statement start, a value, a function's name,
// parameters and internal name, a module, an alias, an include and a class
// name, and a deleted name. The keyword must be one token of its own there
// and never a name, in both editors.
class EveryKeyword : public ::testing::Test {
 protected:
  struct Place {
    Position at;
    std::string keyword;
  };

  void SetUp() override {
    std::string text;
    int line = 0;
    for (const kivg::Keyword& keyword : kivg::kKeywords) {
      const std::string k = keyword.spelling;
      for (const std::string& statement :
           {k, "x = " + k,
            "def " + k + "(" + k + ", " + k + "=" + k + ", *" + k + ", **" + k +
                ") = " + k,
            "import " + k + " as " + k, "include " + k, "class " + k + ":",
            "del " + k + ", " + k}) {
        text += statement + "\n";
        ++line;
        // Every whole word of the line that is this keyword.
        for (size_t from = 0;
             (from = statement.find(k, from)) != std::string::npos;
             from += k.size()) {
          auto isNameCharacter = [&](size_t i) {
            return i < statement.size() &&
                   (std::isalnum(static_cast<unsigned char>(statement[i])) ||
                    statement[i] == '_');
          };
          if ((from > 0 && isNameCharacter(from - 1)) ||
              isNameCharacter(from + k.size()))
            continue;
          places_.push_back({{line, static_cast<int>(from) + 1}, k});
        }
      }
    }
    path_ = dir_.Write("keywords.kivs", text);
  }

  std::string Where(const Place& place) const {
    return "'" + place.keyword + "' at line " + std::to_string(place.at.first) +
           ", column " + std::to_string(place.at.second);
  }

  TempDir dir_;
  std::vector<Place> places_;
  std::string path_;
};

TEST_F(EveryKeyword, IsAKeywordToTheTextMateGrammar) {
  const TextMateResult tm = TokenizeWithTextMate(path_);
  ASSERT_EQ(tm.error, "");
  ASSERT_GT(places_.size(), std::size(kivg::kKeywords) * 7);
  for (const Place& place : places_) {
    ASSERT_TRUE(tm.scope.count(place.at)) << Where(place);
    const std::string& scope = tm.scope.at(place.at);
    EXPECT_EQ(tm.tokenStart.at(place.at), place.at.second) << Where(place);
    EXPECT_EQ(tm.tokenLength.at(place.at),
              static_cast<int>(place.keyword.size()))
        << Where(place) << ": " << scope;
    EXPECT_TRUE(scope.rfind("variable.", 0) != 0 &&
                scope.rfind("entity.name.", 0) != 0 &&
                scope.rfind("meta.", 0) != 0)
        << Where(place) << " is given the scope of a name: " << scope;
  }
}

TEST_F(EveryKeyword, IsAKeywordToVim) {
  const VimResult vim = HighlightWithVim(dir_, path_);
  ASSERT_EQ(vim.error, "");
  // The items the syntax file gives to names of each kind.
  const std::set<std::string> nameItems = {
      "kivsName",          "kivsConstant",    "kivsAlias",
      "kivsModule",        "kivsIncludeName", "kivsClassName",
      "kivsFunctionName",  "kivsParameter",   "kivsInternal",
      "kivsUnknownFeature"};
  for (const Place& place : places_) {
    auto item = [&](int column) {
      auto found = vim.item.find({place.at.first, column});
      return found == vim.item.end() ? std::string("(none)") : found->second;
    };
    const int first = place.at.second;
    const int last = first + static_cast<int>(place.keyword.size()) - 1;
    EXPECT_EQ(nameItems.count(item(first)), 0u)
        << Where(place) << " is given the item of a name: " << item(first);
    EXPECT_EQ(item(last), item(first)) << Where(place);
    EXPECT_NE(item(last + 1), item(first)) << Where(place);
  }
}

// Numerals and strings judged by the spec lexer: the first token of each line
// is a valid literal in both editors exactly when the lexer makes it one, and
// ends where the lexer's token ends.
std::vector<std::string> Candidates() {
  std::vector<std::string> lines;
  auto enumerate = [&](const std::string& starts, const std::string& alphabet,
                       size_t maxTail) {
    std::vector<std::string> current;
    for (char c : starts) current.push_back(std::string(1, c));
    for (size_t length = 0; length <= maxTail; ++length) {
      std::vector<std::string> next;
      for (const std::string& s : current) {
        lines.push_back(s);
        if (length < maxTail)
          for (char c : alphabet) next.push_back(s + c);
      }
      current = std::move(next);
    }
  };
  enumerate("019.-+", "019abexE_.-+", 3);
  enumerate("\"'", "\"'\\nx4256g", 3);
  for (const char* s : {"2147483647",
                        "2147483648",
                        "-2147483648",
                        "+2147483648",
                        "2147483649",
                        "-2147483649",
                        "4294967296",
                        "0002147483648",
                        "-0_002147483648",
                        "-00_02147483648",
                        "2_147_483_648",
                        "-2_147_483_648",
                        "21_47483647",
                        "1999999999",
                        "999999999",
                        "9999999999",
                        "0000000000000000000001",
                        "0xFFFFFFFF",
                        "0x0FFFFFFFF",
                        "0x1FFFFFFFF",
                        "0x0000_0000_FFFF_FFFF",
                        "0x1_0000_0000",
                        "-0xFFFFFFFF",
                        "0x_1",
                        "0x1_",
                        "0xg",
                        "0b11111111111111111111111111111111",
                        "0b111111111111111111111111111111111",
                        "0b0_0000_0001",
                        "0b2",
                        "0b",
                        "1e308",
                        "1e999",
                        "1_000.000_1e-0_1",
                        "0._5",
                        "00._5",
                        "1._5",
                        "0_1",
                        "00_1",
                        "1.e5",
                        "0e5",
                        "0.e5",
                        ".5_5",
                        "._5",
                        "1...",
                        "1.5...",
                        "1....",
                        "0...",
                        "-.5",
                        "-.e",
                        "+.5x",
                        "1e+",
                        "1e+5x",
                        "\"\\0\\00\\000\\255\\256\"",
                        "\"\\2555\"",
                        "'\\x41\\xFf'",
                        "'\\x4'",
                        "'\\x'",
                        "\"a'b\"",
                        "'a\"b'",
                        "\"\\q\"",
                        "\"tab\\ttab\"",
                        "\"é\""})
    lines.push_back(s);
  return lines;
}

struct LexerVerdict {
  enum Kind { kNumber, kString, kInvalid, kOther } kind;
  int extent;  // columns of a valid number; 0 otherwise
};

std::string Describe(const LexerVerdict& verdict) {
  switch (verdict.kind) {
    case LexerVerdict::kNumber:
      return "a number of " + std::to_string(verdict.extent) + " columns";
    case LexerVerdict::kString:
      return "a string";
    case LexerVerdict::kInvalid:
      return "invalid";
    case LexerVerdict::kOther:
      return "another token";
  }
  return "";
}

LexerVerdict Judge(const std::string& line) {
  Lexer lexer(line, "candidate.kivs");
  std::unique_ptr<Token> first(lexer.NextToken());
  const int sign = line[0] == '-' || line[0] == '+' ? 1 : 0;
  switch (first->type) {
    case TokenType::INTEGER:
      if (first->needsNegation) return {LexerVerdict::kInvalid, 0};
      [[fallthrough]];
    case TokenType::FLOAT:
      return {LexerVerdict::kNumber,
              sign + static_cast<int>(first->text.size())};
    case TokenType::STRING:
      return {LexerVerdict::kString, 0};
    case TokenType::BAD:
      return {LexerVerdict::kInvalid, 0};
    default:
      return {LexerVerdict::kOther, 0};
  }
}

bool IsNumberScope(const std::string& scope) {
  return scope.rfind("constant.numeric.", 0) == 0;
}
bool IsStringScope(const std::string& scope) {
  return scope.rfind("string.", 0) == 0 ||
         scope.rfind("punctuation.definition.string", 0) == 0 ||
         scope.rfind("constant.character.escape", 0) == 0;
}
bool IsNumberItem(const std::string& item) {
  return item == "kivsDecimal" || item == "kivsHexadecimal" ||
         item == "kivsBinary" || item == "kivsFloat";
}

class LexerAgreement : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& line : Candidates()) {
      // A string that reaches a backslash at the line end goes on in the next
      // line in an editor; alone on a line, the lexer sees the end of input.
      if (line.back() == '\\') continue;
      lines_.push_back(line);
    }
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    path_ = dir_.Write("candidates.kivs", text);
  }
  TempDir dir_;
  std::vector<std::string> lines_;
  std::string path_;
};

TEST_F(LexerAgreement, TextMateGrammarMarksLiteralsAsTheLexerReadsThem) {
  const TextMateResult tm = TokenizeWithTextMate(path_);
  ASSERT_EQ(tm.error, "");
  int failures = 0;
  for (size_t i = 0; i < lines_.size() && failures < 20; ++i) {
    const int line = static_cast<int>(i) + 1;
    const LexerVerdict verdict = Judge(lines_[i]);
    const std::string scope =
        tm.scope.count({line, 1}) ? tm.scope.at({line, 1}) : "";
    bool ok = true;
    switch (verdict.kind) {
      case LexerVerdict::kNumber:
        ok = IsNumberScope(scope) &&
             tm.tokenLength.at({line, 1}) == verdict.extent;
        break;
      case LexerVerdict::kString:
        ok = IsStringScope(scope);
        break;
      case LexerVerdict::kInvalid:
        ok = scope.rfind("invalid.", 0) == 0;
        break;
      case LexerVerdict::kOther:
        ok = !IsNumberScope(scope) && !IsStringScope(scope);
        break;
    }
    if (!ok) {
      ++failures;
      ADD_FAILURE() << "'" << lines_[i] << "': the lexer reads "
                    << Describe(verdict) << ", the grammar gives scope '"
                    << scope << "' over "
                    << (tm.tokenLength.count({line, 1})
                            ? tm.tokenLength.at({line, 1})
                            : 0);
    }
  }
}

TEST_F(LexerAgreement, VimSyntaxMarksLiteralsAsTheLexerReadsThem) {
  const VimResult vim = HighlightWithVim(dir_, path_);
  ASSERT_EQ(vim.error, "");
  int failures = 0;
  for (size_t i = 0; i < lines_.size() && failures < 20; ++i) {
    const int line = static_cast<int>(i) + 1;
    const LexerVerdict verdict = Judge(lines_[i]);
    auto item = [&](int column) {
      auto found = vim.item.find({line, column});
      return found == vim.item.end() ? std::string() : found->second;
    };
    const std::string first = item(1);
    bool ok = true;
    switch (verdict.kind) {
      case LexerVerdict::kNumber:
        // A sign right after a number starts the next number, which Vim
        // may show as the same item.
        ok = IsNumberItem(first) && item(verdict.extent) == first &&
             (item(verdict.extent + 1) != first ||
              lines_[i].find_first_of("+-", verdict.extent) ==
                  static_cast<size_t>(verdict.extent));
        break;
      case LexerVerdict::kString:
        ok = first == "kivsString";
        break;
      case LexerVerdict::kInvalid:
        ok = vim.highlight.at({line, 1}) == "Error";
        break;
      case LexerVerdict::kOther:
        ok = !IsNumberItem(first) && first != "kivsString";
        break;
    }
    if (!ok) {
      ++failures;
      ADD_FAILURE() << "'" << lines_[i] << "': the lexer reads "
                    << Describe(verdict) << ", Vim shows item '" << first
                    << "'";
    }
  }
}

}  // namespace

namespace {

TEST(SpecLanguageManualPage, RendersWithoutWarnings) {
  ASSERT_TRUE(Found(KIV_GROFF))
      << "groff was not found; scripts/install-packages.sh installs it";
  ASSERT_TRUE(Found(KIV_MAN))
      << "man was not found; scripts/install-packages.sh installs it";
  const std::string page = SourcePath("doc/kivspec.5");
  ProgramResult groff = RunProgram(KIV_GROFF, {"-ww", "-z", "-man", page});
  EXPECT_EQ(groff.status, 0);
  EXPECT_EQ(groff.err, "");
  RunOptions plain;
  plain.env = {{"MANPAGER", "cat"}, {"MANWIDTH", "250"}};
  ProgramResult man = RunProgram(KIV_MAN, {"--warnings=w", "-l", page}, plain);
  EXPECT_EQ(man.status, 0);
  EXPECT_EQ(man.err, "");
  EXPECT_NE(man.out.find("KIVSPEC(5)"), std::string::npos);
  // Every diagnostic of the language is listed (the width keeps each on one
  // line, unhyphenated).
  for (const char* message :
       {"Bad token encountered",
        "Decimal constant out of range",
        "Hexadecimal constant out of range",
        "Binary constant out of range",
        "Unexpected indentation",
        "Missing indentation",
        "Mismatched indentation",
        "Inconsistent whitespace in indentation",
        "Syntax error",
        "Integer constant out of range",
        "Cannot redefine reserved name",
        "redefined",
        "lib must be the first statement",
        "include must be at the top level",
        "import must be at the top level",
        "Feature definitions must be at the top level",
        "Include name cannot be empty",
        "Module name cannot be empty",
        "Include name cannot contain a NUL byte",
        "Module name cannot contain a NUL byte",
        "Source file cannot include itself",
        "Cannot import the main spec",
        "was previously imported as",
        "Unknown feature",
        "not found",
        "Duplicate parameter name",
        "with no default value follows parameter(s) with default",
        "Duplicate tuple group parameter",
        "follows dictionary group parameter",
        "Class definition(s) encountered without the class feature enabled",
        "Error opening",
        "Include cycle detected",
        "Error reading",
        "Ended in ERROR"}) {
    std::string flat;  // the rendered page with line breaks and runs of blanks
                       // as one space
    for (char c : man.out) {
      const char d = c == '\n' ? ' ' : c;
      if (d == ' ' && !flat.empty() && flat.back() == ' ') continue;
      flat += d;
    }
    EXPECT_NE(flat.find(message), std::string::npos) << message;
  }
}

}  // namespace

namespace {

TEST(VsCodeExtension, DeclaresTheLanguageAndIndentsAfterABlockColon) {
  ASSERT_TRUE(Found(KIV_NODE))
      << "node was not found; scripts/install-packages.sh installs it";
  const std::vector<std::pair<std::string, bool>> lines = {
      {"class Point:", true},       {"class Point:  # members follow", true},
      {"    class Polar:", true},   {"x = 1", false},
      {"def f(a, b=1) = F", false}, {"# class Point:", false},
      {"classes = 1", false},       {"", false},
  };
  TempDir dir;
  std::string text;
  for (const auto& [line, indents] : lines) text += line + "\n";
  ProgramResult run = RunProgram(
      KIV_NODE, {SourcePath("tests/editor/language_configuration.js"),
                 SourcePath("editor/vscode"), dir.Write("lines.txt", text)});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string expected =
      "language=kivs extensions=.kivs grammar=kivs:source.kivs\n"
      "grammarFile=source.kivs\n"
      "lineComment=# brackets=()\n"
      "indentationRules=kept\n";
  // A block ends only by a line indented less: no line takes its own
  // indentation back.
  for (const auto& [line, indents] : lines)
    if (!line.empty())
      expected += std::string("indent:") + (indents ? "1" : "0") +
                  " dedent:0 " + line + "\n";
  EXPECT_EQ(run.out, expected);
}

}  // namespace
