// Where the element family's location and ownership rules can break: lists
// take their location from their first entry, literals take none, and every
// element releases what it owns when deleted through the base class.
#include "generator/frontend/spec_elements.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kivg {
namespace {

Token NameToken(const std::string& name, int32_t line, int32_t column) {
  return Token(SourceLocation("app.kivs", line, column), TokenType::NAME, name);
}

void ExpectLocation(const SourceElement& element, const std::string& file,
                    int32_t line, int32_t column) {
  EXPECT_EQ(file, element.location.fileName.str());
  EXPECT_EQ(line, element.location.line);
  EXPECT_EQ(column, element.location.column);
}

// Locations share one copy of each file name; the empty name means no
// location, however it was given.
TEST(SpecElementsTest, LocationsShareTheirFileName) {
  const std::string path = "dir/a rather long path to/app.kivs";
  const SourceLocation first(path, 1, 2);
  const SourceLocation second(std::string(path), 3, 4);
  EXPECT_EQ(first.fileName, second.fileName);
  EXPECT_EQ(&first.fileName.str(), &second.fileName.str());
  EXPECT_NE(first.fileName, FileName("app.kivs"));
  EXPECT_EQ(FormatLocation(second), path + ":3:4");

  EXPECT_FALSE(SourceLocation().HasFileName());
  EXPECT_FALSE(SourceLocation("", 1, 1).HasFileName());
  EXPECT_EQ(FileName(""), FileName());
  EXPECT_EQ(FileName().str(), "");
}

TEST(SpecElementsTest, ListsAreLocatedAtTheirFirstEntry) {
  NameList names;
  ExpectLocation(names, "", 0, 0);
  names.Append(NameToken("a", 3, 5))->Append(NameToken("b", 4, 1));
  names.Append(NameToken("a", 7, 2));
  ExpectLocation(names, "app.kivs", 3, 5);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "a"}), names.names);

  ParameterList parameters;
  ExpectLocation(parameters, "", 0, 0);
  parameters.Append(
      new Parameter(NameToken("x", 2, 9), ParameterKind::TupleGroup));
  parameters.Append(new Parameter(NameToken("y", 2, 14), nullptr));
  ExpectLocation(parameters, "app.kivs", 2, 9);
  ASSERT_EQ(2u, parameters.parameters.size());
  EXPECT_EQ("y", parameters.parameters[1]->name);
  EXPECT_EQ(ParameterKind::Positional, parameters.parameters[1]->kind);
}

TEST(SpecElementsTest, LiteralsTakeTheirValueButNoLocation) {
  const SourceLocation where("app.kivs", 4, 7);

  Literal truth(Token(where, TokenType::TRUE, "True"));
  EXPECT_EQ(LiteralType::Boolean, truth.type);
  EXPECT_TRUE(truth.booleanValue);
  ExpectLocation(truth, "", 0, 0);

  std::unique_ptr<Token> negative(Token::MakeInteger(where, -5, false, "5"));
  Literal integer(*negative);
  EXPECT_EQ(LiteralType::Integer, integer.type);
  EXPECT_EQ(-5, integer.integerValue);

  std::unique_ptr<Token> real(Token::MakeReal(where, 0.25, ".25"));
  EXPECT_EQ(0.25, Literal(*real).realValue);

  const std::string withNul("a\0b", 3);
  std::unique_ptr<Token> text(Token::MakeString(where, withNul));
  Literal string(*text);
  EXPECT_EQ(LiteralType::String, string.type);
  EXPECT_EQ(withNul, string.stringValue);

  EXPECT_EQ(LiteralType::None, Literal(Token(where, TokenType::NONE)).type);
  EXPECT_EQ(LiteralType::Ellipsis,
            Literal(Token(where, TokenType::ELLIPSIS)).type);
}

TEST(SpecElementsTest, UnrepresentableLiteralsThrowAtTheTokenLocation) {
  const SourceLocation where("app.kivs", 9, 12);
  struct Row {
    std::unique_ptr<Token> token;
    const char* message;
  };
  Row rows[] = {
      {std::unique_ptr<Token>(
           Token::MakeInteger(where, INT32_MIN, true, "2147483648")),
       "Integer constant out of range"},
      {std::make_unique<Token>(where, TokenType::NAME, "x"), "Invalid token"},
      {std::make_unique<Token>(where, TokenType::BAD, "$"), "Invalid token"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    try {
      Literal literal(*row.token);
      ADD_FAILURE() << "no ElementError thrown";
    } catch (const ElementError& error) {
      EXPECT_EQ(row.message, error.message);
      ExpectLocation(error.element, "app.kivs", 9, 12);
    }
  }
}

// Run under the sanitizers, these show a leak or double release in the
// ownership chain from a definition down to its default values.
TEST(SpecElementsTest, DefinitionsReleaseWhatTheyOwn) {
  auto* parameters = new ParameterList;
  parameters->Append(new Parameter(
      NameToken("a", 1, 9),
      new Literal(*std::unique_ptr<Token>(Token::MakeString({}, "text")))));
  parameters->Append(
      new Parameter(NameToken("b", 1, 12), ParameterKind::DictionaryGroup));
  std::unique_ptr<SourceElement> function(
      new FunctionDefinition(NameToken("f", 1, 5), true, "impl_f", parameters));
  ExpectLocation(*function, "app.kivs", 1, 5);
  function.reset();

  std::shared_ptr<DefinitionMap> members;
  {
    std::shared_ptr<SourceElement> element =
        std::make_shared<ClassDefinition>(NameToken("C", 2, 7));
    members = static_cast<ClassDefinition&>(*element).definitions;
    (*members)["x"] = std::make_shared<Assignment>(
        NameToken("x", 3, 5), new Literal(Token({}, TokenType::FALSE)));
  }
  // The class is gone; the scope that shared its map still holds it.
  ASSERT_EQ(1u, members->count("x"));
  ExpectLocation(*members->at("x"), "app.kivs", 3, 5);
}

}  // namespace
}  // namespace kivg
