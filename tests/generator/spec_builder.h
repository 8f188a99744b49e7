// One way for the model, finalization and writer tests to build a spec: a
// Generator driven through the calls that the run sequence and the parser's
// actions make for a spec named "app", with a shorthand for each statement,
// and the writers run in their order on the finalized model.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "generator/model/generator.h"
#include "generator/model/name_numbering.h"
#include "generator/output/header_writer.h"
#include "generator/output/source_writer.h"
#include "generator/output/spec_file_writer.h"

namespace kivg {
namespace spec_builder {

inline SourceLocation At(int line) {
  return SourceLocation("app.kivs", line, 1);
}

inline Token Name(const std::string& text) {
  return Token(At(1), TokenType::NAME, text);
}

inline Token IntegerValue(int32_t value) {
  Token token(At(1), TokenType::INTEGER, std::to_string(value));
  token.integerValue = value;
  return token;
}
inline Token RealValue(double value) {
  Token token(At(1), TokenType::FLOAT, "real");
  token.realValue = value;
  return token;
}
inline Token StringValue(const std::string& value) {
  return Token(At(1), TokenType::STRING, value);
}
inline Token KeywordValue(TokenType type) { return Token(At(1), type); }

struct Param {
  std::string name;
  ParameterKind kind = ParameterKind::Positional;
  std::optional<Token> defaultValue;
};
inline Param Positional(const std::string& name) {
  return {name, ParameterKind::Positional, {}};
}
inline Param WithDefault(const std::string& name, const Token& value) {
  return {name, ParameterKind::Positional, value};
}
inline Param Tuple(const std::string& name) {
  return {name, ParameterKind::TupleGroup, {}};
}
inline Param Dictionary(const std::string& name) {
  return {name, ParameterKind::DictionaryGroup, {}};
}

struct Outputs {
  std::string specFile;
  std::string header;
  std::string source;
};

// The main module is started and its first file app.kivs is being read;
// tests call the Generator's operations directly where the shorthand does not
// reach.
class SpecBuilder {
 public:
  explicit SpecBuilder(const std::string& specName = "app")
      : generator(errors, specName) {
    generator.QueueModule(specName);
    StartModule(specName);
  }

  void StartModule(const std::string& expected) {
    std::vector<ModuleReference> references;
    EXPECT_EQ(expected, generator.StartNextModule(&references));
    generator.SetSource(expected + ".kivs", true, false, SourceLocation());
  }
  // Starts every module still queued and leaves it empty, as the run
  // sequence does for imported modules whose files define nothing.
  void StartRemainingModules() {
    while (!generator.StartNextModule(nullptr).empty()) {
    }
  }
  SpecBuilder& Lib() {
    generator.DeclareLibrary(new Token(At(1), TokenType::LIB, "lib"));
    return *this;
  }
  SpecBuilder& Import(const std::string& module,
                      const std::string& alias = "") {
    Token* moduleToken = new Token(Name(module));
    generator.ImportModule(
        moduleToken, alias.empty() ? moduleToken : new Token(Name(alias)));
    return *this;
  }
  SpecBuilder& EnableClasses() {
    generator.SetFeature(new Token(Name("class")), true);
    return *this;
  }
  SpecBuilder& Constant(const std::string& name, const Token& value) {
    generator.AssignConstant(new Token(Name(name)), new Literal(value));
    return *this;
  }
  SpecBuilder& BareName(const std::string& name) {
    generator.AssignConstant(new Token(Name(name)), nullptr);
    return *this;
  }
  SpecBuilder& Def(const std::string& name, const std::vector<Param>& params,
                   const std::string& internalName) {
    ParameterList* list = new ParameterList();
    for (const Param& param : params) {
      Token nameToken = Name(param.name);
      list->Append(
          param.defaultValue
              ? new Parameter(nameToken, new Literal(*param.defaultValue))
          : param.kind == ParameterKind::Positional
              ? new Parameter(nameToken, nullptr)
              : new Parameter(nameToken, param.kind));
    }
    generator.DefineFunction(new Token(Name(name)), list,
                             new Token(Name(internalName)));
    return *this;
  }
  SpecBuilder& Class(const std::string& name) {
    generator.DefineClass(new Token(Name(name)));
    return *this;
  }
  SpecBuilder& EndClass() {
    generator.EndClass();
    return *this;
  }

  Outputs Write(const std::string& headerFileName = "app.h") {
    EXPECT_EQ(0, generator.errorCount) << errors.str();
    EXPECT_TRUE(generator.Finalize()) << errors.str();
    std::ostringstream spec, header, source;
    const ListedNames listed = NumberNames(generator);
    WriteSpecFile(generator, listed, spec);
    WriteHeader(generator, header);
    WriteSource(generator, source, headerFileName);
    return {spec.str(), header.str(), source.str()};
  }

  std::ostringstream errors;
  Generator generator;
};

}  // namespace spec_builder
}  // namespace kivg
