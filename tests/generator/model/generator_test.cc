// Drives the Generator's statement operations directly, as the grammar
// actions do, and checks the model and the exact diagnostic lines.
#include "generator/model/generator.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/generator/spec_builder.h"

namespace kivg {
namespace {

SourceLocation At(int32_t line, int32_t column,
                  const std::string& file = "app.kivs") {
  return SourceLocation(file, line, column);
}

Token* Name(const std::string& text, int32_t line = 1, int32_t column = 1) {
  return new Token(At(line, column), TokenType::NAME, text);
}

Literal* Int(int32_t value) {
  Token token(At(1, 1), TokenType::INTEGER);
  token.integerValue = value;
  return new Literal(token);
}

ParameterList* Parameters(std::vector<Parameter*> parameters) {
  auto* list = new ParameterList();
  for (Parameter* parameter : parameters) list->Append(parameter);
  return list;
}

Parameter* Positional(const std::string& name, int32_t column,
                      Literal* defaultValue = nullptr) {
  return new Parameter(Token(At(1, column), TokenType::NAME, name),
                       defaultValue);
}

// A generator reading the first file of the main spec "app".
class GeneratorTest : public ::testing::Test {
 protected:
  // What was printed since the last call.
  std::string Printed() {
    std::string text = errors.str();
    errors.str("");
    return text;
  }

  std::vector<std::string> ScopeNames() const {
    std::vector<std::string> names;
    for (const auto& entry : *generator.scope) names.push_back(entry.first);
    return names;
  }

  template <typename T>
  const T* Defined(const std::string& name) const {
    auto found = generator.scope->find(name);
    if (found == generator.scope->end()) return nullptr;
    return dynamic_cast<const T*>(found->second.get());
  }

  void DefineF(Token* name, ParameterList* parameters) {
    generator.DefineFunction(name, parameters,
                             Name("F_impl", name->location.line, 20));
  }

  spec_builder::SpecBuilder spec;
  std::ostringstream& errors = spec.errors;
  Generator& generator = spec.generator;
};

TEST(GeneratorConstructionTest, InitialState) {
  std::ostringstream errors;
  Generator generator(errors, "my-app.v2");
  EXPECT_EQ(generator.specName, "my-app.v2");
  EXPECT_EQ(generator.specIdentifier, "my_app_v2");
  EXPECT_EQ(generator.moduleSymbols.Lookup(""), 0);
  EXPECT_EQ(generator.moduleSymbols.Assign("m"), 1);
  EXPECT_EQ(generator.nameSymbols.size(), 0u);
  EXPECT_EQ(generator.specFormatVersion, 1);
  EXPECT_EQ(generator.appSpecFormatVersion, 0);
  EXPECT_TRUE(generator.atFirstStatement);
  EXPECT_FALSE(generator.finalized);
}

TEST_F(GeneratorTest, DiagnosticLines) {
  struct Case {
    SourceLocation location;
    bool isError;
    std::string expected;
  } cases[] = {
      {At(12, 5, "spec.kivs"), false, "spec.kivs:12:5: Warning: text\n"},
      {At(3, 7), true, "app.kivs:3:7: Error: text\n"},
      {SourceLocation(), true, "Error: text\n"},
      // Without a file name there is no prefix, even with a line.
      {SourceLocation("", 4, 2), false, "Warning: text\n"},
      // Counts past 32 bits print whole.
      {SourceLocation("app.kivs", int64_t{1} << 32, int64_t{1} << 31), true,
       "app.kivs:4294967296:2147483648: Error: text\n"},
  };
  for (const Case& c : cases) {
    generator.ReportDiagnostic("text", c.location, c.isError);
    EXPECT_EQ(Printed(), c.expected);
  }
  EXPECT_EQ(generator.errorCount, 0);

  generator.currentLocation = At(2, 9);
  generator.ReportError("Syntax error");
  EXPECT_EQ(Printed(), "app.kivs:2:9: Error: Syntax error\n");
  EXPECT_EQ(generator.errorCount, 1);
}

TEST_F(GeneratorTest, LibOnlyAsTheFirstStatement) {
  // A del statement, even a failing one, leaves the window open.
  generator.DeleteNames(
      (new NameList())->Append(Token(At(1, 5), TokenType::NAME, "zz")));
  generator.DeclareLibrary(new Token(At(2, 1), TokenType::LIB, "lib"));
  EXPECT_TRUE(generator.isLibrary);
  EXPECT_EQ(Printed(), "app.kivs:1:5: Error: Cannot delete 'zz'; not found\n");

  generator.AssignConstant(Name("x", 3), nullptr);
  generator.DeclareLibrary(new Token(At(4, 1), TokenType::LIB, "lib"));
  EXPECT_EQ(Printed(),
            "app.kivs:4:1: Error: lib must be the first statement\n");
  EXPECT_EQ(generator.errorCount, 2);
}

TEST_F(GeneratorTest, EveryOtherStatementClosesTheLibWindow) {
  struct Case {
    const char* what;
    std::function<void(Generator&)> statement;
  } cases[] = {
      {"lib",
       [](Generator& g) {
         g.DeclareLibrary(new Token(At(1, 1), TokenType::LIB));
       }},
      {"include", [](Generator& g) { g.IncludeSource(Name("other")); }},
      {"failed include", [](Generator& g) { g.IncludeSource(Name("")); }},
      {"import",
       [](Generator& g) {
         Token* m = Name("m");
         g.ImportModule(m, m);
       }},
      {"feature", [](Generator& g) { g.SetFeature(Name("class"), true); }},
      {"assignment", [](Generator& g) { g.AssignConstant(Name("x"), Int(1)); }},
      {"reserved", [](Generator& g) { g.AssignConstant(Name("sys"), Int(1)); }},
      {"def",
       [](Generator& g) {
         g.DefineFunction(Name("f"), new ParameterList(), Name("F"));
       }},
      {"class", [](Generator& g) { g.DefineClass(Name("C")); }},
  };
  for (const Case& c : cases) {
    generator.SetSource("app.kivs", true, false, SourceLocation());
    c.statement(generator);
    EXPECT_FALSE(generator.atFirstStatement) << c.what;
  }
}

TEST_F(GeneratorTest, FunctionsRecordTheLibraryFlagInForce) {
  generator.DeclareLibrary(new Token(At(1, 1), TokenType::LIB));
  DefineF(Name("inLib", 2), nullptr);
  // An included file starts without the flag; the including file's comes
  // back when it ends.
  generator.SetSource("inc.kivs", true, false, SourceLocation());
  DefineF(Name("inInclude", 1), nullptr);
  generator.SetSource("app.kivs", false, true, At(3, 1));
  DefineF(Name("afterInclude", 4), nullptr);
  EXPECT_TRUE(Defined<FunctionDefinition>("inLib")->isLibrary);
  EXPECT_FALSE(Defined<FunctionDefinition>("inInclude")->isLibrary);
  EXPECT_TRUE(Defined<FunctionDefinition>("afterInclude")->isLibrary);
  EXPECT_TRUE(
      Defined<FunctionDefinition>("inLib")->parameters->parameters.empty());
  EXPECT_EQ(Printed(), "");
}

TEST_F(GeneratorTest, IncludeRequests) {
  struct Case {
    std::string name;
    bool insideClass;
    std::string expectedError;  // empty: accepted
  } cases[] = {
      {"common", false, ""},
      {"dir/x", false, ""},
      {"", false, "app.kivs:5:9: Error: Include name cannot be empty\n"},
      {std::string("x\0y", 3), false,
       "app.kivs:5:9: Error: Include name cannot contain a NUL byte\n"},
      {"app", false,
       "app.kivs:5:9: Error: Source file cannot include itself: app.kivs\n"},
      {"common", true,
       "app.kivs:5:9: Error: include must be at the top level\n"},
  };
  for (const Case& c : cases) {
    Generator g(errors, "app");
    g.QueueModule("app");
    g.StartNextModule(nullptr);
    g.SetSource("app.kivs", true, false, SourceLocation());
    if (c.insideClass) g.DefineClass(Name("C"));
    g.currentLocation = At(1, 1);
    g.IncludeSource(new Token(At(5, 9), TokenType::STRING, c.name));
    EXPECT_EQ(Printed(), c.expectedError) << c.name;
    if (c.expectedError.empty()) {
      EXPECT_EQ(g.currentSourceName, c.name + ".kivs");
      EXPECT_EQ(g.currentLocation.line, 5);
      EXPECT_EQ(g.errorCount, 0);
    } else {
      EXPECT_EQ(g.currentSourceName, "app.kivs") << c.name;
      EXPECT_EQ(g.errorCount, 1);
    }
  }
}

TEST_F(GeneratorTest, ImportWithoutAliasBindsTheModuleName) {
  Token* module = Name("m", 1, 8);
  generator.ImportModule(module, module);
  EXPECT_EQ(Printed(), "");
  ASSERT_EQ(generator.importsByAlias.count("m"), 1u);
  EXPECT_EQ(generator.importsByAlias["m"].moduleName, "m");
  EXPECT_EQ(generator.importsByModule["m"].count("m"), 1u);
  EXPECT_EQ(generator.moduleQueue, std::deque<std::string>{"m"});
  EXPECT_EQ(generator.currentLocation.column, 8);
}

TEST_F(GeneratorTest, ImportAliasConflictNamesEveryEarlierImport) {
  generator.ImportModule(Name("m", 1, 8), Name("a", 1, 13));
  generator.ImportModule(Name("m", 2, 8), Name("a", 2, 13));
  EXPECT_EQ(Printed(), "");
  generator.ImportModule(Name("n", 3, 8), Name("a", 3, 13));
  EXPECT_EQ(Printed(),
            "app.kivs:3:13: Error: Cannot import module 'n' as 'a' ...\n"
            "app.kivs:1:13: Error: ... Module 'm' was previously imported as "
            "'a' here\n"
            "app.kivs:2:13: Error: ... Module 'm' was previously imported as "
            "'a' here\n");
  EXPECT_EQ(generator.errorCount, 3);
  EXPECT_EQ(generator.importsByModule.count("n"), 0u);
  EXPECT_EQ(generator.importsByAlias["a"].locations.size(), 2u);
  EXPECT_EQ(generator.moduleQueue, std::deque<std::string>{"m"});
}

TEST_F(GeneratorTest, RejectedImports) {
  struct Case {
    std::string module;
    std::string alias;  // empty: no alias
    bool insideClass;
    std::string expected;
  } cases[] = {
      {"", "a", false, "app.kivs:1:8: Error: Module name cannot be empty\n"},
      {std::string("m\0", 2), "a", false,
       "app.kivs:1:8: Error: Module name cannot contain a NUL byte\n"},
      {"app", "", false,
       "app.kivs:1:8: Error: Cannot import the main spec 'app'\n"},
      {"app", "a", false,
       "app.kivs:1:8: Error: Cannot import the main spec 'app'\n"},
      {"sys", "", false,
       "app.kivs:1:8: Error: Cannot redefine reserved name 'sys'\n"},
      {"m", "args", false,
       "app.kivs:1:13: Error: Cannot redefine reserved name 'args'\n"},
      {"m", "a", true,
       "app.kivs:1:8: Error: import must be at the top level\n"},
  };
  for (const Case& c : cases) {
    Generator g(errors, "app");
    g.QueueModule("app");
    g.StartNextModule(nullptr);
    if (c.insideClass) g.DefineClass(Name("C"));
    Token* module = new Token(At(1, 8), TokenType::STRING, c.module);
    g.ImportModule(module, c.alias.empty() ? module : Name(c.alias, 1, 13));
    EXPECT_EQ(Printed(), c.expected);
    EXPECT_EQ(g.errorCount, 1);
    EXPECT_TRUE(g.importsByAlias.empty());
    EXPECT_TRUE(g.moduleQueue.empty());
  }
}

TEST_F(GeneratorTest, ModulesAreReadInOrderOfFirstMention) {
  generator.ImportModule(Name("m", 1, 8), Name("b", 1, 13));
  generator.ImportModule(Name("n", 2, 8), Name("n", 2, 8));
  generator.ImportModule(Name("m", 3, 8), Name("a", 3, 13));
  generator.ImportModule(Name("m", 4, 8), Name("b", 4, 13));
  EXPECT_EQ(Printed(), "");

  std::vector<ModuleReference> references;
  EXPECT_EQ(generator.StartNextModule(&references), "m");
  EXPECT_EQ(generator.currentModuleName, "m");
  // By alias, then in import order.
  ASSERT_EQ(references.size(), 3u);
  EXPECT_EQ(references[0].alias, "a");
  EXPECT_EQ(references[0].location.line, 3);
  EXPECT_EQ(references[1].alias, "b");
  EXPECT_EQ(references[1].location.line, 1);
  EXPECT_EQ(references[2].alias, "b");
  EXPECT_EQ(references[2].location.line, 4);
  EXPECT_TRUE(generator.scope->empty());
  EXPECT_EQ(generator.moduleDefinitions["m"], generator.scope);

  EXPECT_EQ(generator.StartNextModule(&references), "n");
  ASSERT_EQ(references.size(), 1u);
  EXPECT_EQ(references[0].alias, "n");

  EXPECT_EQ(generator.StartNextModule(&references), "");
  EXPECT_EQ(generator.currentModuleName, "");
  EXPECT_TRUE(references.empty());
  EXPECT_EQ(generator.moduleDefinitions.size(), 3u);
  // The main spec is kept under the empty name.
  EXPECT_EQ(generator.moduleDefinitions.count(""), 1u);
}

TEST_F(GeneratorTest, Features) {
  struct Case {
    std::string name;
    bool enable;
    uint8_t featuresAfter;
    std::string expected;
  } cases[] = {
      {"class", true, 1, ""},
      {"Class", true, 1, "app.kivs:2:2: Error: Unknown feature 'Class'\n"},
      {"class", false, 0, ""},
      {"class", true, 1, ""},
      {"threads", false, 1, "app.kivs:2:2: Error: Unknown feature 'threads'\n"},
  };
  for (const Case& c : cases) {
    generator.SetFeature(Name(c.name, 2, 2), c.enable);
    EXPECT_EQ(Printed(), c.expected) << c.name;
    EXPECT_EQ(generator.features, c.featuresAfter) << c.name;
  }
  EXPECT_EQ(generator.errorCount, 2);

  generator.DefineClass(Name("C"));
  generator.SetFeature(Name("class", 3, 2), false);
  EXPECT_EQ(
      Printed(),
      "app.kivs:3:2: Error: Feature definitions must be at the top level\n");
  EXPECT_EQ(generator.features, 1);
}

TEST_F(GeneratorTest, RedefinitionWarnsAndTheLastDefinitionWins) {
  generator.AssignConstant(Name("x", 1, 1), Int(1));
  generator.AssignConstant(Name("x", 2, 1), Int(2));
  EXPECT_EQ(Printed(), "app.kivs:2:1: Warning: Name 'x' redefined\n");
  EXPECT_EQ(Defined<Assignment>("x")->value->integerValue, 2);
  EXPECT_EQ(Defined<Assignment>("x")->location.line, 2);
  EXPECT_EQ(generator.currentLocation.line, 2);

  // A definition of another kind replaces it the same way.
  generator.DefineClass(Name("x", 3, 7));
  generator.EndClass();
  DefineF(Name("x", 4, 5), nullptr);
  EXPECT_EQ(Printed(),
            "app.kivs:3:7: Warning: Name 'x' redefined\n"
            "app.kivs:4:5: Warning: Name 'x' redefined\n");
  EXPECT_NE(Defined<FunctionDefinition>("x"), nullptr);
  EXPECT_EQ(generator.errorCount, 0);
}

TEST_F(GeneratorTest, ReservedNames) {
  generator.AssignConstant(Name("sys", 1, 1), nullptr);
  EXPECT_EQ(Printed(), "");
  ASSERT_NE(Defined<Assignment>("sys"), nullptr);
  EXPECT_EQ(Defined<Assignment>("sys")->value, nullptr);

  generator.AssignConstant(Name("sys", 2, 1), Int(1));
  DefineF(Name("args", 3, 5), nullptr);
  generator.DefineClass(Name("__main__", 4, 7));
  EXPECT_EQ(Printed(),
            "app.kivs:2:1: Error: Cannot redefine reserved name 'sys'\n"
            "app.kivs:3:5: Error: Cannot redefine reserved name 'args'\n"
            "app.kivs:4:7: Error: Cannot redefine reserved name '__main__'\n");
  EXPECT_EQ(generator.errorCount, 3);
  EXPECT_EQ(ScopeNames(), std::vector<std::string>{"sys"});
  EXPECT_TRUE(generator.scopeStack.empty());

  // The class-feature names are not protected.
  generator.AssignConstant(Name("__init__", 5, 1), Int(1));
  generator.DefineClass(Name("__call__", 6, 7));
  EXPECT_EQ(Printed(), "");
}

TEST_F(GeneratorTest, ParameterErrorStillRecordsTheFunction) {
  DefineF(Name("f", 1, 5), nullptr);
  DefineF(Name("f", 2, 5),
          Parameters({Positional("a", 7, Int(1)), Positional("b", 14),
                      Positional("a", 17)}));
  EXPECT_EQ(Printed(),
            "app.kivs:1:14: Error: Parameter 'b' (2) with no default value "
            "follows parameter(s) with default value(s)\n"
            "app.kivs:2:5: Warning: Name 'f' redefined\n");
  EXPECT_EQ(generator.errorCount, 1);
  const FunctionDefinition* f = Defined<FunctionDefinition>("f");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->parameters->parameters.size(), 3u);
  EXPECT_EQ(f->internalName, "F_impl");
  EXPECT_EQ(f->location.line, 2);
}

TEST_F(GeneratorTest, UnknownParameterKindEndsTheChecks) {
  Parameter* odd = Positional("b", 9);
  odd->kind = static_cast<ParameterKind>(7);
  DefineF(Name("f", 1, 5),
          Parameters({Positional("a", 7), odd, Positional("a", 11)}));
  EXPECT_EQ(Printed(),
            "app.kivs:1:9: Error: Internal error: Unknown parameter type\n");
  EXPECT_EQ(generator.errorCount, 1);
  EXPECT_NE(Defined<FunctionDefinition>("f"), nullptr);
}

TEST_F(GeneratorTest, ClassesNestAndScopeDefinitions) {
  generator.DefineClass(Name("Outer", 1, 7));
  generator.AssignConstant(Name("a", 2, 5), Int(1));
  generator.DefineClass(Name("Inner", 3, 11));
  DefineF(Name("m", 4, 13), nullptr);
  EXPECT_EQ(generator.scopeStack.size(), 2u);
  generator.EndClass();
  generator.AssignConstant(Name("b", 5, 5), nullptr);
  generator.EndClass();
  generator.AssignConstant(Name("c", 6, 1), nullptr);
  EXPECT_EQ(Printed(), "");

  EXPECT_EQ(generator.scope, generator.moduleDefinitions[""]);
  EXPECT_EQ(ScopeNames(), (std::vector<std::string>{"Outer", "c"}));
  const ClassDefinition* outer = Defined<ClassDefinition>("Outer");
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(outer->definitions->size(), 3u);
  auto inner = std::dynamic_pointer_cast<ClassDefinition>(
      outer->definitions->at("Inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->definitions->count("m"), 1u);

  // With no class open, the end of a class leaves the scope as it is.
  auto top = generator.scope;
  generator.EndClass();
  EXPECT_EQ(generator.scope, top);
}

TEST_F(GeneratorTest, TopLevelStatementsInsideAClassBody) {
  generator.DefineClass(Name("C", 1, 7));
  generator.IncludeSource(Name("x", 2, 13));
  Token* module = Name("m", 3, 12);
  generator.ImportModule(module, module);
  generator.SetFeature(Name("class", 4, 6), true);
  EXPECT_EQ(
      Printed(),
      "app.kivs:2:13: Error: include must be at the top level\n"
      "app.kivs:3:12: Error: import must be at the top level\n"
      "app.kivs:4:6: Error: Feature definitions must be at the top level\n");
  generator.AssignConstant(Name("x", 5, 5), Int(1));
  generator.DeleteNames(
      (new NameList())->Append(Token(At(6, 9), TokenType::NAME, "x")));
  EXPECT_EQ(Printed(), "");
  EXPECT_TRUE(generator.scope->empty());
}

TEST_F(GeneratorTest, DeleteGoesOnAfterAMissingName) {
  generator.AssignConstant(Name("b", 1, 1), Int(1));
  generator.AssignConstant(Name("c", 2, 1), Int(1));
  auto* names = new NameList();
  for (const char* name : {"a", "b", "z"})
    names->Append(Token(At(3, name[0] == 'a' ? 5 : 8), TokenType::NAME, name));
  generator.DeleteNames(names);
  EXPECT_EQ(Printed(),
            "app.kivs:3:5: Error: Cannot delete 'a'; not found\n"
            "app.kivs:3:5: Error: Cannot delete 'z'; not found\n");
  EXPECT_EQ(generator.errorCount, 2);
  EXPECT_EQ(ScopeNames(), std::vector<std::string>{"c"});
}

TEST_F(GeneratorTest, LiteralsThatCannotBeBuilt) {
  Literal* ok = generator.MakeLiteral(new Token(At(1, 5), TokenType::TRUE));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->type, LiteralType::Boolean);
  delete ok;

  EXPECT_EQ(generator.MakeLiteral(
                Token::MakeInteger(At(2, 5), 0, true, "2147483648")),
            nullptr);
  EXPECT_EQ(generator.MakeLiteral(new Token(At(3, 7), TokenType::NAME, "x")),
            nullptr);
  EXPECT_EQ(Printed(),
            "app.kivs:2:5: Error: Integer constant out of range\n"
            "app.kivs:3:7: Error: Invalid token\n");
  EXPECT_EQ(generator.errorCount, 2);
}

}  // namespace
}  // namespace kivg
