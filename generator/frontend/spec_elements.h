// The elements that grammar actions build from tokens and hand to the spec
// model: literals, name and parameter lists, and the three kinds of definition
// that the model stores in DefinitionMaps. Each element owns what it holds;
// names and texts are copied out of tokens, never shared with them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "format/encoded_spec_format.h"
#include "generator/frontend/source_element.h"
#include "generator/frontend/token.h"

namespace kivg {

enum class LiteralType : int32_t {
  None = 0,
  Ellipsis = 1,
  Boolean = 2,
  Integer = 3,
  Float = 4,
  String = 5,
};

// A literal's type number is its value's type byte in the encoded spec and in
// the check value.
#define KIV_SAME_VALUE_TYPE(type, byte)                            \
  static_assert(static_cast<int32_t>(LiteralType::type) == (byte), \
                "LiteralType::" #type " is not its encoded value type")
KIV_SAME_VALUE_TYPE(None, kivformat::encoded_spec::kValueNone);
KIV_SAME_VALUE_TYPE(Ellipsis, kivformat::encoded_spec::kValueEllipsis);
KIV_SAME_VALUE_TYPE(Boolean, kivformat::encoded_spec::kValueBoolean);
KIV_SAME_VALUE_TYPE(Integer, kivformat::encoded_spec::kValueInteger);
KIV_SAME_VALUE_TYPE(Float, kivformat::encoded_spec::kValueFloat);
KIV_SAME_VALUE_TYPE(String, kivformat::encoded_spec::kValueString);
#undef KIV_SAME_VALUE_TYPE

enum class ParameterKind : int32_t {
  Positional = 0,
  TupleGroup = 1,
  DictionaryGroup = 2,
};

// Thrown when an element cannot be built; the location is what to report.
class ElementError {
 public:
  ElementError(const SourceElement& where, std::string text)
      : element(where), message(std::move(text)) {}
  SourceElement element;
  std::string message;
};

// A constant value. Literals carry no location of their own: diagnostics about
// them use the location of the token, parameter or name that holds them.
class Literal : public NonTerminal {
 public:
  // Throws ElementError for an unnegated 2147483648 and for non-literal tokens.
  explicit Literal(const Token& token);

  LiteralType type = LiteralType::None;
  union {
    bool booleanValue;
    int32_t integerValue;
    double realValue = 0.0;
  };
  std::string stringValue;
};

// Names of a `del` statement; located at its first name.
class NameList : public NonTerminal {
 public:
  NameList* Append(const Token& name);
  std::vector<std::string> names;
};

class Parameter : public NonTerminal {
 public:
  // A positional parameter, with or without a default value (taken over).
  Parameter(const Token& name, Literal* defaultValue);
  // A parameter of the given kind, without default value.
  Parameter(const Token& name, ParameterKind kind);

  std::string name;
  ParameterKind kind;
  std::unique_ptr<Literal> defaultValue;
};

// Formal parameters in written order; located at its first parameter.
class ParameterList : public NonTerminal {
 public:
  ParameterList* Append(Parameter* parameter);  // takes ownership
  std::vector<std::unique_ptr<Parameter>> parameters;
};

// A named constant, or a bare name (no value). The name is the map key.
class Assignment : public NonTerminal {
 public:
  Assignment(const SourceElement& name, Literal* literal)
      : NonTerminal(name.location), value(literal) {}
  std::unique_ptr<Literal> value;
};

// An app function declared with `def`; the name is the map key.
class FunctionDefinition : public NonTerminal {
 public:
  FunctionDefinition(const SourceElement& name, bool library,
                     std::string internal, ParameterList* list)
      : NonTerminal(name.location),
        isLibrary(library),
        internalName(std::move(internal)),
        parameters(list) {}

  bool isLibrary;
  std::string internalName;
  std::unique_ptr<ParameterList> parameters;
};

class ClassDefinition;

// Definitions of one scope by name, in byte order. Each value is an
// Assignment, a FunctionDefinition or a ClassDefinition.
using DefinitionMap = std::map<std::string, std::shared_ptr<SourceElement>>;

// A class; its member map is shared with the model's scope while the body is
// being read.
class ClassDefinition : public NonTerminal {
 public:
  explicit ClassDefinition(const SourceElement& name)
      : NonTerminal(name.location),
        definitions(std::make_shared<DefinitionMap>()) {}
  // Releases nested classes one level at a time, however the class goes
  // away (redefined, deleted or with the model), so that deep nesting cannot
  // overflow the stack through recursive destructors.
  ~ClassDefinition() override;
  std::shared_ptr<DefinitionMap> definitions;
};

}  // namespace kivg
