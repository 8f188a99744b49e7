// Finalization of the spec model: versions, module order and symbols, the
// generated class initializer, the definition walk and the check value.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "generator/model/check_value.h"
#include "generator/model/crc_engine.h"
#include "generator/model/generator.h"
#include "tests/generator/spec_builder.h"

namespace kivg {
namespace {

uint32_t Crc(const CrcEngine& engine, const std::string& bytes) {
  uint32_t crcRegister = engine.Update(
      engine.Initial(), reinterpret_cast<const uint8_t*>(bytes.data()),
      bytes.size());
  return engine.Result(crcRegister);
}

TEST(CrcEngineTest, CheckValuesOfKnownConfigurations) {
  struct Case {
    const char* name;
    CrcEngine engine;
    uint32_t check;  // of "123456789"
  } cases[] = {
      {"CRC-32", CrcEngine::Crc32(), 0xCBF43926},
      {"CRC-32/BZIP2",
       CrcEngine(32, 0x04C11DB7, 0xFFFFFFFF, false, false, 0xFFFFFFFF),
       0xFC891918},
      {"CRC-16/ARC", CrcEngine(16, 0x8005, 0, true, true, 0), 0xBB3D},
      {"CRC-16/IBM-3740", CrcEngine(16, 0x1021, 0xFFFF, false, false, 0),
       0x29B1},
      {"CRC-8/SMBUS", CrcEngine(8, 0x07, 0, false, false, 0), 0xF4},
      {"CRC-7/MMC", CrcEngine(7, 0x09, 0, false, false, 0), 0x75},
      {"CRC-5/USB", CrcEngine(5, 0x05, 0x1F, true, true, 0x1F), 0x19},
      {"CRC-3/ROHC", CrcEngine(3, 0x3, 0x7, true, true, 0), 0x6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Crc(c.engine, "123456789"), c.check) << c.name;
}

TEST(CrcEngineTest, UpdatesInPiecesEqualOneUpdate) {
  const CrcEngine engine = CrcEngine::Crc32();
  const std::string text = "1234567";
  uint32_t crcRegister = engine.Initial();
  for (char c : text)
    crcRegister =
        engine.Update(crcRegister, reinterpret_cast<const uint8_t*>(&c), 1);
  crcRegister =
      engine.Update(crcRegister, reinterpret_cast<const uint8_t*>("89"), 2);
  EXPECT_EQ(engine.Result(crcRegister), 0xCBF43926u);
  EXPECT_EQ(Crc(engine, ""), 0u);
}

SourceLocation At(int32_t line, int32_t column = 1) {
  return SourceLocation("app.kivs", line, column);
}

Token* Name(const std::string& text, int32_t line = 1) {
  return new Token(At(line), TokenType::NAME, text);
}

Literal* MakeLiteral(Token* token) {
  std::unique_ptr<Token> owned(token);
  return new Literal(*owned);
}

Literal* Int(int32_t value) {
  return MakeLiteral(Token::MakeInteger(At(1), value, false, ""));
}

Parameter* Positional(const std::string& name, Literal* value = nullptr) {
  return new Parameter(Token(At(1), TokenType::NAME, name), value);
}

ParameterList* Parameters(std::vector<Parameter*> parameters) {
  auto* list = new ParameterList();
  for (Parameter* parameter : parameters) list->Append(parameter);
  return list;
}

ParameterList* ManyParameters(int count) {
  auto* list = new ParameterList();
  for (int i = 0; i < count; ++i)
    list->Append(Positional("p" + std::to_string(i)));
  return list;
}

void Import(Generator& g, const std::string& module, const std::string& alias) {
  g.ImportModule(Name(module), Name(alias));
}

// Reads a spec "app" whose main file is written by `main`; every imported
// module is then started and left empty, as the driver would read it.
struct Spec : spec_builder::SpecBuilder {
  explicit Spec(const std::function<void(Generator&)>& main) {
    main(generator);
    StartRemainingModules();
  }
};

void DefineF(Generator& g) {
  // def f(a, b=1) = F
  g.DefineFunction(Name("f"),
                   Parameters({Positional("a"), Positional("b", Int(1))}),
                   Name("F"));
}

uint32_t CheckValueOf(const std::function<void(Generator&)>& main) {
  Spec spec(main);
  EXPECT_TRUE(spec.generator.Finalize());
  EXPECT_EQ(spec.errors.str(), "");
  return spec.generator.checkValue.value_or(0);
}

TEST(FinalizeTest, CheckValueOfASingleFunction) {
  EXPECT_EQ(CheckValueOf(DefineF), 0x11C5446Eu);
}

// The check value is the CRC-32 of the byte sequence that the recorded walk
// lays down: features, then per module its aliases and its definitions.
TEST(CheckValueTest, IsTheCrcOfTheWalksBytes) {
  Spec spec([](Generator& g) {
    g.SetFeature(Name("class"), true);
    DefineF(g);
    Import(g, "m", "q");
  });
  ASSERT_TRUE(spec.generator.Finalize());
  const std::string bytes = std::string("f\x01") +  // features
                            "\x0C__init__(self" +   // main module
                            "\x0C"
                            "f(a(b\x03" +
                            std::string("\0\0\0\x01", 4) + ".q" +
                            std::string(1, '\0');  // module m
  EXPECT_EQ(CheckValueOf(spec.generator.walk, spec.generator.features),
            Crc(CrcEngine::Crc32(), bytes));
  EXPECT_EQ(spec.generator.checkValue, Crc(CrcEngine::Crc32(), bytes));
}

TEST(FinalizeTest, FormatVersions) {
  struct Case {
    const char* what;
    std::function<void(Generator&)> main;
    uint8_t specFormatVersion;
    uint8_t appSpecFormatVersion;
  } cases[] = {
      {"only functions", DefineF, 1, 0},
      {"250 parameters",
       [](Generator& g) {
         g.DefineFunction(Name("f"), ManyParameters(250), Name("F"));
       },
       1, 0},
      {"251 parameters",
       [](Generator& g) {
         g.DefineFunction(Name("f"), ManyParameters(251), Name("F"));
       },
       1, 1},
      {"251 parameters inside a class",
       [](Generator& g) {
         g.SetFeature(Name("class"), true);
         g.DefineClass(Name("C"));
         g.DefineFunction(Name("f"), ManyParameters(251), Name("F"));
       },
       3, 2},
      {"an import", [](Generator& g) { Import(g, "m", "m"); }, 2, 1},
      {"the class feature",
       [](Generator& g) { g.SetFeature(Name("class"), true); }, 3, 2},
      {"feature and import",
       [](Generator& g) {
         g.SetFeature(Name("class"), true);
         Import(g, "m", "m");
       },
       3, 2},
  };
  for (const Case& c : cases) {
    Spec spec(c.main);
    ASSERT_TRUE(spec.generator.Finalize()) << c.what;
    EXPECT_EQ(spec.generator.specFormatVersion, c.specFormatVersion) << c.what;
    EXPECT_EQ(spec.generator.appSpecFormatVersion, c.appSpecFormatVersion)
        << c.what;
    EXPECT_TRUE(spec.generator.finalized);
  }
}

TEST(FinalizeTest, ModulesAreOrderedByAliasSet) {
  Spec spec([](Generator& g) {
    Import(g, "beta", "b");
    Import(g, "zeta", "z");
    Import(g, "zeta", "a");
  });
  Generator& g = spec.generator;
  g.moduleDefinitions["beta"]->emplace(
      "x", std::make_shared<Assignment>(SourceElement(), nullptr));
  ASSERT_TRUE(g.Finalize());

  std::vector<std::pair<AliasSet, std::string>> order;
  for (const auto& [aliases, module] : g.modules)
    order.emplace_back(aliases, module.name);
  EXPECT_EQ(order, (std::vector<std::pair<AliasSet, std::string>>{
                       {{}, ""}, {{"a", "z"}, "zeta"}, {{"b"}, "beta"}}));
  EXPECT_EQ(g.modules.at({"b"}).definitions->count("x"), 1u);
  EXPECT_EQ(g.moduleSymbols.Lookup(""), 0);
  EXPECT_EQ(g.moduleSymbols.Lookup("zeta"), 1);
  EXPECT_EQ(g.moduleSymbols.Lookup("beta"), 2);
  EXPECT_TRUE(g.importsByModule.empty());
  EXPECT_TRUE(g.moduleDefinitions.empty());
  EXPECT_TRUE(g.everQueued.empty());
  EXPECT_EQ(g.importsByAlias.size(), 3u);
}

TEST(FinalizeTest, TheClassFeatureAddsTheInitializer) {
  Spec spec([](Generator& g) {
    g.DeclareLibrary(new Token(At(1), TokenType::LIB));
    g.SetFeature(Name("class"), true);
  });
  Generator& g = spec.generator;
  ASSERT_TRUE(g.Finalize());
  EXPECT_EQ(spec.errors.str(), "");
  const auto& main = *g.modules.at({}).definitions;
  auto init =
      std::dynamic_pointer_cast<FunctionDefinition>(main.at("__init__"));
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init->internalName, "KivLib_class_init");
  EXPECT_EQ(init->location.line, 0);
  EXPECT_TRUE(init->isLibrary);  // the flag of the last file read
  ASSERT_EQ(init->parameters->parameters.size(), 1u);
  const Parameter& self = *init->parameters->parameters[0];
  EXPECT_EQ(self.name, "self");
  EXPECT_EQ(self.kind, ParameterKind::Positional);
  EXPECT_EQ(self.defaultValue, nullptr);

  EXPECT_EQ(g.nameSymbols.ByName(),
            (std::vector<SymbolTable::Entry>{{"__call__", 8},
                                             {"__func__", 7},
                                             {"__get__", 4},
                                             {"__init__", 3},
                                             {"__main__", 2},
                                             {"args", 1},
                                             {"sys", 0}}));
}

TEST(FinalizeTest, AUserInitializerIsKept) {
  Spec spec([](Generator& g) {
    g.SetFeature(Name("class"), true);
    g.DefineFunction(Name("__init__", 2), Parameters({}), Name("MyInit"));
  });
  ASSERT_TRUE(spec.generator.Finalize());
  EXPECT_EQ(spec.errors.str(), "");
  auto init = std::dynamic_pointer_cast<FunctionDefinition>(
      spec.generator.modules.at({}).definitions->at("__init__"));
  EXPECT_EQ(init->internalName, "MyInit");
}

TEST(FinalizeTest, ClassesNeedTheClassFeature) {
  struct Case {
    const char* what;
    std::function<void(Generator&)> main;
  } cases[] = {
      {"never enabled",
       [](Generator& g) {
         g.DefineClass(Name("C"));
         g.EndClass();
       }},
      {"disabled again",
       [](Generator& g) {
         g.SetFeature(Name("class"), true);
         g.DefineClass(Name("C"));
         g.EndClass();
         g.SetFeature(Name("class"), false);
       }},
      {"in a module",
       [](Generator& g) {
         Import(g, "m", "m");
         g.StartNextModule(nullptr);
         g.DefineClass(Name("C"));
         g.EndClass();
       }},
  };
  for (const Case& c : cases) {
    Spec spec(c.main);
    spec.generator.currentLocation = At(9, 9);
    EXPECT_FALSE(spec.generator.Finalize()) << c.what;
    EXPECT_EQ(spec.errors.str(),
              "Error: Class definition(s) encountered without the class "
              "feature enabled\n");
    EXPECT_EQ(spec.generator.errorCount, 1);
    EXPECT_FALSE(spec.generator.finalized);
    EXPECT_FALSE(spec.generator.checkValue.has_value());
  }
}

// The names that reach the generated code are checked once the whole spec is
// known: an error fails finalization before any check value, a warning does
// not.
TEST(FinalizeTest, NamesOfTheGeneratedCodeAreCheckedLast) {
  struct Case {
    const char* what;
    std::function<void(Generator&)> main;
    bool finalizes;
    std::string errors;
  } cases[] = {
      {"a C keyword as internal name",
       [](Generator& g) {
         g.DefineFunction(Name("f"), Parameters({}), Name("int"));
       },
       false,
       "app.kivs:1:1: Error: Internal name 'int' is a C keyword; use another "
       "internal name\n"},
      {"a class feature name as alias, once the feature is on",
       [](Generator& g) {
         Import(g, "m", "__func__");
         g.SetFeature(Name("class"), true);
       },
       false,
       "app.kivs:1:1: Error: Cannot redefine reserved name '__func__'\n"},
      {"the same alias while the feature is off",
       [](Generator& g) {
         g.SetFeature(Name("class"), true);
         Import(g, "m", "__func__");
         g.SetFeature(Name("class"), false);
       },
       true, ""},
      {"a warning only",
       [](Generator& g) {
         g.DefineFunction(Name("f"), Parameters({}), Name("abs"));
       },
       true,
       "app.kivs:1:1: Warning: Internal name 'abs' is a function of the C "
       "standard library; the two would clash when the application is built\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spec spec(c.main);
    EXPECT_EQ(spec.generator.Finalize(), c.finalizes);
    EXPECT_EQ(spec.errors.str(), c.errors);
    EXPECT_EQ(spec.generator.finalized, c.finalizes);
    EXPECT_EQ(spec.generator.checkValue.has_value(), c.finalizes);
  }
}

std::string Join(const AliasSet& aliases) {
  std::string text;
  for (const std::string& alias : aliases) text += " ." + alias;
  return text;
}

// The recorded walk as one line per step, with the qualified names of the
// definitions and class ends.
std::vector<std::string> WalkLines(const DefinitionWalk& walk) {
  const std::vector<WalkStep>& steps = walk.steps();
  std::vector<std::string> qualifiedNames(steps.size());
  ForEachQualifiedName(walk, [&](uint32_t i, std::string_view qualifiedName) {
    qualifiedNames[i] = std::string(qualifiedName);
  });
  std::vector<std::string> lines;
  for (uint32_t i = 0; i < steps.size(); ++i) {
    const WalkStep& step = steps[i];
    const std::string name(step.name);
    switch (step.kind) {
      case StepKind::kModuleBegin:
        lines.push_back("begin " + name + Join(*step.aliases));
        break;
      case StepKind::kClassEnd:
        lines.push_back("end " + name + " " + qualifiedNames[i]);
        break;
      case StepKind::kModuleEnd:
        lines.push_back("end module " + name + Join(*step.aliases));
        break;
      default:
        lines.push_back(name + " " + qualifiedNames[i]);
        break;
    }
  }
  return lines;
}

TEST(FinalizeTest, TheWalkIsDepthFirstInNameOrder) {
  Spec spec([](Generator& g) {
    g.SetFeature(Name("class"), true);
    g.AssignConstant(Name("z"), nullptr);
    g.DefineClass(Name("B"));
    g.AssignConstant(Name("y"), nullptr);
    g.DefineClass(Name("C"));
    g.AssignConstant(Name("m"), nullptr);
    g.EndClass();
    g.DefineClass(Name("A"));
    g.EndClass();
    g.EndClass();
    g.AssignConstant(Name("a"), nullptr);
    Import(g, "mod", "q");
  });
  ASSERT_TRUE(spec.generator.Finalize());
  EXPECT_EQ(WalkLines(spec.generator.walk), (std::vector<std::string>{
                                                "begin ",
                                                "B B",
                                                "A B:A",
                                                "end A B:A",
                                                "C B:C",
                                                "m B:C:m",
                                                "end C B:C",
                                                "y B:y",
                                                "end B B",
                                                "__init__ __init__",
                                                "a a",
                                                "z z",
                                                "end module ",
                                                "begin mod .q",
                                                "end module mod .q",
                                            }));
}

// The walk that Finalize records: the definitions of the maps, with depths,
// parameters and values copied out, and each step pointing at its element.
TEST(FinalizeTest, TheRecordedWalkFollowsTheMaps) {
  Spec spec([](Generator& g) {
    g.SetFeature(Name("class"), true);
    g.AssignConstant(Name("bare"), nullptr);
    g.DefineClass(Name("C"));
    g.AssignConstant(Name("text"), MakeLiteral(Token::MakeString(
                                       At(1), "a long text value")));
    g.DefineClass(Name("D"));
    DefineF(g);
    g.EndClass();
    g.EndClass();
    Import(g, "mod", "q");
  });
  ASSERT_TRUE(spec.generator.Finalize());
  const DefinitionWalk& walk = spec.generator.walk;
  std::vector<std::string> lines;
  for (const WalkStep& step : walk.steps()) {
    static const char* const kKinds[] = {"begin", "assign", "def",
                                         "class", "end",    "end module"};
    std::string line = kKinds[static_cast<int>(step.kind)] + std::string(" ") +
                       std::string(step.name) + " " +
                       std::to_string(step.depth);
    if (step.hasValue) line += " = " + std::string(step.value.stringValue());
    if (step.kind == StepKind::kFunction) {
      line += " -> " + std::string(step.internalName) + "(";
      for (const WalkParameter& parameter : walk.ParametersOf(step)) {
        line += std::string(parameter.name);
        if (parameter.hasDefault)
          line += "=" + std::to_string(parameter.defaultValue.integerValue);
        line += ",";
      }
      line += ")";
    }
    if (step.aliases != nullptr && !step.aliases->empty())
      line += " ." + *step.aliases->begin();
    lines.push_back(line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "begin  0",
                       "class C 0",
                       "class D 1",
                       "def f 2 -> F(a,b=1,)",
                       "end D 1",
                       "assign text 1 = a long text value",
                       "end C 0",
                       "def __init__ 0 -> KivLib_class_init(self,)",
                       "assign bare 0",
                       "end module  0",
                       "begin mod 0 .q",
                       "end module mod 0 .q",
                   }));
  const DefinitionMap& main = *spec.generator.modules.at({}).definitions;
  const auto& c = dynamic_cast<const ClassDefinition&>(*main.at("C"));
  const auto& d = dynamic_cast<const ClassDefinition&>(*c.definitions->at("D"));
  EXPECT_EQ(walk.steps()[1].element, main.at("C").get());
  EXPECT_EQ(walk.steps()[2].element, &d);
  EXPECT_EQ(walk.steps()[3].element, d.definitions->at("f").get());
  EXPECT_EQ(walk.steps()[5].element, c.definitions->at("text").get());
  EXPECT_EQ(walk.steps()[8].element, main.at("bare").get());
  EXPECT_EQ(walk.steps()[0].element, nullptr);
}

// A main spec with one constant x of the given value.
uint32_t CheckValueOfConstant(Literal* value) {
  return CheckValueOf(
      [value](Generator& g) { g.AssignConstant(Name("x"), value); });
}

TEST(FinalizeTest, LiteralBytesOfTheCheckValue) {
  using Bytes = std::string;
  struct Case {
    const char* what;
    Literal* value;
    Bytes bytes;  // after 0x0B "x"
  } cases[] = {
      {"no value", nullptr, ""},
      {"None", MakeLiteral(new Token(At(1), TokenType::NONE)),
       Bytes("\x00", 1)},
      {"Ellipsis", MakeLiteral(new Token(At(1), TokenType::ELLIPSIS)), "\x01"},
      {"True", MakeLiteral(new Token(At(1), TokenType::TRUE)), "\x02\x01"},
      {"False", MakeLiteral(new Token(At(1), TokenType::FALSE)),
       Bytes("\x02\x00", 2)},
      {"-2", Int(-2), "\x03\xFF\xFF\xFF\xFE"},
      {"0x01020304", Int(0x01020304), "\x03\x01\x02\x03\x04"},
      {"1.5", MakeLiteral(Token::MakeReal(At(1), 1.5, "1.5")),
       Bytes("\x04\x3F\xF8\x00\x00\x00\x00\x00\x00", 9)},
      {"string with NUL",
       MakeLiteral(Token::MakeString(At(1), Bytes("a\0b", 3))),
       Bytes("\x05"
             "a\0b",
             4)},
  };
  const CrcEngine engine = CrcEngine::Crc32();
  for (const Case& c : cases)
    EXPECT_EQ(CheckValueOfConstant(c.value), Crc(engine, "\x0Bx" + c.bytes))
        << c.what;
}

TEST(FinalizeTest, WhatTheCheckValueCovers) {
  // +class; import m as a; def f(a, b=1) = F; class C: (m); x = 1
  struct Variant {
    std::string alias = "a";
    std::string functionName = "f";
    std::string secondParameter = "b";
    ParameterKind firstKind = ParameterKind::Positional;
    int32_t defaultValue = 1;
    std::string internalName = "F";
    bool library = false;
    bool classFeature = true;
    bool withClass = true;
    std::string className = "C";
    std::string memberName = "m";
  };
  auto checkValue = [](const Variant& v) {
    return CheckValueOf([&v](Generator& g) {
      if (v.library) g.DeclareLibrary(new Token(At(1), TokenType::LIB));
      Import(g, "m", v.alias);
      g.SetFeature(Name("class"), v.classFeature);
      // Written out, so that the feature alone makes no other difference.
      g.DefineFunction(Name("__init__"), Parameters({Positional("self")}),
                       Name("KivLib_class_init"));
      g.DefineFunction(
          Name(v.functionName),
          Parameters(
              {new Parameter(Token(At(1), TokenType::NAME, "a"), v.firstKind),
               Positional(v.secondParameter, Int(v.defaultValue))}),
          Name(v.internalName));
      if (v.withClass) {
        g.DefineClass(Name(v.className));
        g.AssignConstant(Name(v.memberName), nullptr);
        g.EndClass();
      }
      g.AssignConstant(Name("x"), Int(1));
    });
  };

  auto none = [](Variant&) {};
  struct Change {
    const char* what;
    std::function<void(Variant&)> from;
    std::function<void(Variant&)> apply;
    bool changesCheckValue;
  } changes[] = {
      {"default value", none, [](Variant& v) { v.defaultValue = 2; }, true},
      {"parameter name", none, [](Variant& v) { v.secondParameter = "c"; },
       true},
      {"definition name", none, [](Variant& v) { v.functionName = "g"; }, true},
      {"class name", none, [](Variant& v) { v.className = "D"; }, true},
      {"member name", none, [](Variant& v) { v.memberName = "n"; }, true},
      {"alias", none, [](Variant& v) { v.alias = "b"; }, true},
      {"features", [](Variant& v) { v.withClass = false; },
       [](Variant& v) { v.classFeature = false; }, true},
      {"internal name", none, [](Variant& v) { v.internalName = "G"; }, false},
      {"lib", none, [](Variant& v) { v.library = true; }, false},
      {"parameter kind", none,
       [](Variant& v) { v.firstKind = ParameterKind::TupleGroup; }, false},
  };
  for (const Change& change : changes) {
    Variant before;
    change.from(before);
    Variant after = before;
    change.apply(after);
    EXPECT_EQ(checkValue(after) != checkValue(before), change.changesCheckValue)
        << change.what;
  }
}

TEST(FinalizeTest, AnUnknownDefinitionIsAnInternalError) {
  Spec spec([](Generator& g) {
    g.scope->emplace("t", std::make_shared<Token>(At(1), TokenType::NAME, "t"));
  });
  std::string failure;
  try {
    spec.generator.Finalize();
  } catch (const std::string& message) {
    failure = message;
  }
  EXPECT_EQ(failure, "Internal error: Unknown definition type");
}

// Which function gives each internal name its prototype: the first in walk
// order (a class's members come right after the class), across classes and
// modules; one that is bound to the C name of its own parameter binds
// nothing, so the next one is first.
TEST(FinalizeTest, TheFirstBindingOfEveryInternalNameIsRecorded) {
  spec_builder::SpecBuilder spec;
  Generator& g = spec.generator;
  g.SetFeature(Name("class"), true);
  g.DefineFunction(Name("z"), Parameters({}), Name("F"));
  Import(g, "mod", "mod");
  g.DefineClass(Name("C"));
  g.DefineFunction(Name("m"), Parameters({Positional("self")}), Name("F"));
  g.EndClass();
  g.DefineFunction(Name("a"), Parameters({Positional("x")}), Name("_x"));
  g.DefineFunction(Name("b"), Parameters({}), Name("_x"));
  g.DefineFunction(Name("c"), Parameters({}), Name("_x"));
  g.DefineFunction(Name("k"), Parameters({}), Name("KivLib_class_init"));
  g.StartNextModule(nullptr);
  g.SetSource("mod.kivs", true, false, SourceLocation());
  g.DefineFunction(Name("y"), Parameters({}), Name("F"));
  spec.StartRemainingModules();
  spec.generator.Finalize();  // fails: 'a' names its own parameter
  const std::vector<WalkStep>& steps = spec.generator.walk.steps();
  std::vector<std::string> lines;
  for (uint32_t i = 0; i < steps.size(); ++i) {
    if (steps[i].kind != StepKind::kFunction) continue;
    lines.push_back(std::string(steps[i].name) + " " +
                    std::string(steps[i].internalName) + " first " +
                    std::string(steps[steps[i].firstBinding].name) +
                    (DeclaresPrototype(steps[i], i) ? " declares" : ""));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "m F first m declares",
                       "__init__ KivLib_class_init first __init__ declares",
                       "a _x first a declares",
                       "b _x first b declares",
                       "c _x first b",
                       "k KivLib_class_init first __init__",
                       "z F first m",
                       "y F first m",
                   }));
}

}  // namespace
}  // namespace kivg
