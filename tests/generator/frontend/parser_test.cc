// The grammar driven by real lexer tokens into the real Generator: which
// statement operations run, when they run, and the parser's own errors.
#include "generator/frontend/parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "generator/frontend/lexer.h"
#include "generator/model/generator.h"

namespace kivg {
namespace {

// Feeds the tokens of text to one parser. Like the driver, it stops after the
// first token that leaves an error, unless asked to go on as a parser fed
// directly would. Error tokens are skipped.
// afterEach, when given, runs after every token fed.
void FeedText(Generator& generator, Parser& parser, const std::string& text,
              bool stopAtError,
              const std::function<void()>& afterEach = nullptr) {
  Lexer lexer(text, "app.kivs");
  for (;;) {
    Token* token = lexer.NextToken();
    generator.currentLocation = token->location;
    const TokenType type = token->type;
    if (IsErrorToken(type)) {
      delete token;
      continue;
    }
    if (type == TokenType::END) {
      delete token;
      parser.Parse(TokenType::END, nullptr);
      if (afterEach) afterEach();
      return;
    }
    parser.Parse(type, token);
    if (afterEach) afterEach();
    if (stopAtError && generator.errorCount != 0) return;
  }
}

// A generator reading the main spec's file app.kivs.
void StartMainSpec(Generator& generator) {
  generator.QueueModule("app");
  generator.StartNextModule(nullptr);
  generator.SetSource("app.kivs", true, false, SourceLocation());
}

struct Parsed {
  std::string diagnostics;
  int errors;
};

Parsed ParseSpec(const std::string& text, Generator** keep = nullptr,
                 bool stopAtError = true) {
  static std::ostringstream sink;
  sink.str("");
  auto* generator = new Generator(sink, "app");
  StartMainSpec(*generator);
  {
    Parser parser(*generator);
    FeedText(*generator, parser, text, stopAtError);
  }
  Parsed parsed{sink.str(), generator->errorCount};
  if (keep)
    *keep = generator;
  else
    delete generator;
  return parsed;
}

// The sizes of the tables lemon generates, pinned because they are the
// parser's behaviour, not an accident of its text: a regenerated parser with
// other tables may reduce at other moments (the driver relies on an include's
// action running before the next statement completes) or recover from errors
// differently. A grammar edit or another lemon that changes them needs a look
// at what changed, and then new numbers here.
TEST(Parser, GeneratedTablesHaveTheGrammarsSizes) {
  std::ifstream in(KIV_GRAMMAR_SOURCE);
  std::stringstream text;
  text << in.rdbuf();
  const std::string source = text.str();
  // The value of "#define NAME value" or "#define NAME (value)".
  auto define = [&](const std::string& name) {
    const std::string directive = "#define " + name + " ";
    const size_t at = source.find(directive);
    EXPECT_NE(at, std::string::npos) << name;
    if (at == std::string::npos) return -1;
    size_t digits = source.find_first_of("0123456789", at + directive.size());
    return std::stoi(source.substr(digits));
  };
  EXPECT_EQ(define("YYNOCODE"), 65);            // symbols
  EXPECT_EQ(define("YYNRULE"), 36);             // rules
  EXPECT_EQ(define("YY_MIN_SHIFTREDUCE"), 71);  // parser states
  EXPECT_EQ(define("YYNSTATE"), 39);            // states with a shift row
  EXPECT_EQ(define("YY_ACTTAB_COUNT"), 88);     // packed action entries
}

TEST(Parser, EveryStatementReachesTheModel) {
  Generator* generator = nullptr;
  const Parsed parsed = ParseSpec(
      "lib\n"
      "+class\n"
      "-class\n"
      "+class\n"
      "import m\n"
      "import n as a\n"
      "import \"q\" as b\n"
      "x = 1\n"
      "y\n"
      "z = 'text'\n"
      "def f(p, d=2.5, *t, **k) = F\n"
      "def g() = G\n"
      "class C:\n"
      "    def m(self) = M\n"
      "    w = None\n"
      "del z\n",
      &generator);
  EXPECT_EQ(parsed.diagnostics, "");
  EXPECT_EQ(parsed.errors, 0);
  EXPECT_TRUE(generator->isLibrary);
  EXPECT_EQ(generator->features, 1);
  EXPECT_EQ(generator->importsByAlias.size(), 3u);
  EXPECT_EQ(generator->importsByAlias["b"].moduleName, "q");
  const DefinitionMap& main = *generator->moduleDefinitions[""];
  std::vector<std::string> names;
  for (const auto& [name, element] : main) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"C", "f", "g", "x", "y"}));
  auto* f = dynamic_cast<FunctionDefinition*>(main.at("f").get());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->internalName, "F");
  EXPECT_TRUE(f->isLibrary);
  ASSERT_EQ(f->parameters->parameters.size(), 4u);
  EXPECT_EQ(f->parameters->parameters[1]->defaultValue->realValue, 2.5);
  EXPECT_EQ(f->parameters->parameters[2]->kind, ParameterKind::TupleGroup);
  EXPECT_EQ(f->parameters->parameters[3]->kind, ParameterKind::DictionaryGroup);
  auto* g = dynamic_cast<FunctionDefinition*>(main.at("g").get());
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(g->parameters->parameters.empty());
  auto* c = dynamic_cast<ClassDefinition*>(main.at("C").get());
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->definitions->size(), 2u);
  EXPECT_TRUE(generator->scopeStack.empty());
  auto* y = dynamic_cast<Assignment*>(main.at("y").get());
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->value, nullptr);
  delete generator;
}

// A statement's action runs when the token after its last one arrives, so an
// include request shows after that token and before the next statement is
// complete.
TEST(Parser, IncludeRequestFollowsTheNextToken) {
  std::ostringstream sink;
  Generator generator(sink, "app");
  StartMainSpec(generator);
  Parser parser(generator);
  std::vector<std::string> seen;
  FeedText(generator, parser, "include common\nx = 1\n", true,
           [&] { seen.push_back(generator.currentSourceName); });
  // include, common, NEWLINE, x (reduces the include), =, 1, NEWLINE, NEWLINE,
  // END
  EXPECT_EQ(seen, (std::vector<std::string>{"app.kivs", "app.kivs", "app.kivs",
                                            "common.kivs", "common.kivs",
                                            "common.kivs", "common.kivs",
                                            "common.kivs", "common.kivs"}));
}

TEST(Parser, ClassBodyEndsWithTheDedentStatement) {
  std::ostringstream sink;
  Generator generator(sink, "app");
  StartMainSpec(generator);
  Parser parser(generator);
  std::vector<size_t> depth;  // scope depth after each token
  FeedText(generator, parser, "class C:\n    x = 1\ny = 2\n", true,
           [&] { depth.push_back(generator.scopeStack.size()); });
  // class C : | x (opens C) = 1 NEWLINE | DEDENT y (closes C) = 2 NEWLINE ...
  EXPECT_EQ(depth,
            (std::vector<size_t>{0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
}

struct SyntaxCase {
  std::string text;
  std::string diagnostics;
};

TEST(Parser, SyntaxErrorsAreReportedAtTheCurrentLocation) {
  const std::vector<SyntaxCase> cases = {
      {"while = 1\n", "app.kivs:1:1: Error: Syntax error\n"},
      {"def f(a) \n", "app.kivs:1:10: Error: Syntax error\n"},
      {"def f(a,) = F\n", "app.kivs:1:9: Error: Syntax error\n"},
      // The first name already became a parameter when the second is
      // rejected, so the error points at that parameter.
      {"def f(a b) = F\n", "app.kivs:1:7: Error: Syntax error\n"},
      {"x = y\n", "app.kivs:1:5: Error: Syntax error\n"},
      {"import m as 'n'\n", "app.kivs:1:13: Error: Syntax error\n"},
      {"del\n", "app.kivs:1:4: Error: Syntax error\n"},
      {"+Class\n", "app.kivs:1:2: Error: Unknown feature 'Class'\n"},
      {"x = 2147483648\n",
       "app.kivs:1:5: Error: Integer constant out of range\n"},
  };
  for (const SyntaxCase& c : cases) {
    SCOPED_TRACE(c.text);
    const Parsed parsed = ParseSpec(c.text);
    EXPECT_EQ(parsed.diagnostics, c.diagnostics);
  }
}

// Fed directly, the parser stays silent about further rejected tokens until
// three tokens have been shifted, and a stream ending inside a statement
// fails the parse.
TEST(Parser, ErrorCountdownAndParseFailure) {
  const Parsed silent = ParseSpec("x = = = 1\n", nullptr, false);
  EXPECT_EQ(silent.diagnostics, "app.kivs:1:5: Error: Syntax error\n");
  // After a rejected statement end, three shifts have not happened before
  // END arrives, so only the parse failure is reported.
  const Parsed failed = ParseSpec("def f(a) \n", nullptr, false);
  EXPECT_EQ(failed.diagnostics,
            "app.kivs:1:10: Error: Syntax error\n"
            "app.kivs:3:1: Error: Parse error\n");

  std::ostringstream sink;
  Generator generator(sink, "app");
  generator.QueueModule("app");
  generator.StartNextModule(nullptr);
  {
    Parser parser(generator);
    SourceLocation at("app.kivs", 1, 1);
    generator.currentLocation = at;
    parser.Parse(TokenType::DEF, new Token(at, TokenType::DEF, "def"));
    parser.Parse(TokenType::NAME, new Token(at, TokenType::NAME, "f"));
    parser.Parse(TokenType::END, nullptr);
  }
  EXPECT_EQ(sink.str(),
            "app.kivs:1:1: Error: Syntax error\n"
            "app.kivs:1:1: Error: Parse error\n");
  EXPECT_EQ(generator.errorCount, 2);
}

TEST(Parser, EmptySourceCallsNothing) {
  Generator* generator = nullptr;
  const Parsed parsed = ParseSpec("\n# comment\n\n", &generator);
  EXPECT_EQ(parsed.errors, 0);
  EXPECT_TRUE(generator->atFirstStatement);
  EXPECT_TRUE(generator->moduleDefinitions[""]->empty());
  delete generator;
}

}  // namespace
}  // namespace kivg
