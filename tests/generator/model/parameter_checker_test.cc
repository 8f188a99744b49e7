#include "generator/model/parameter_checker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kivg {
namespace {

struct Param {
  std::string name;
  ParameterKind kind;
  bool hasDefault;
};

constexpr ParameterKind P = ParameterKind::Positional;
constexpr ParameterKind T = ParameterKind::TupleGroup;
constexpr ParameterKind D = ParameterKind::DictionaryGroup;

// The messages of a checker fed the whole list, empty ones included, up to
// and including the first failure.
std::vector<std::string> CheckAll(const std::vector<Param>& params) {
  ParameterChecker checker;
  std::vector<std::string> messages;
  for (const Param& p : params) {
    messages.push_back(checker.Check(p.name, p.kind, p.hasDefault));
    if (!messages.back().empty()) break;
  }
  return messages;
}

TEST(ParameterCheckerTest, RulesAndTheirOrder) {
  const std::string ok;
  struct Case {
    std::vector<Param> params;
    std::vector<std::string> expected;
  } cases[] = {
      {{}, {}},
      {{{"a", P, false}, {"b", P, false}, {"a", P, false}},
       {ok, ok, "Duplicate parameter name 'a' (3 vs. 1)"}},
      {{{"a", P, true}, {"b", P, false}},
       {ok,
        "Parameter 'b' (2) with no default value follows parameter(s) with "
        "default value(s)"}},
      {{{"a", P, true}, {"args", T, false}, {"b", P, false}, {"c", P, true}},
       {ok, ok, ok, ok}},
      {{{"a", P, false}, {"kw", D, false}, {"b", P, false}},
       {ok, ok, "Parameter 'b' (3) follows dictionary group parameter"}},
      {{{"x", T, false}, {"y", T, false}},
       {ok, "Duplicate tuple group parameter 'y' (2)"}},
      // After the dictionary group even a tuple group is out of place.
      {{{"x", T, false}, {"kw", D, false}, {"y", T, false}},
       {ok, ok, "Parameter 'y' (3) follows dictionary group parameter"}},
      // The duplicate test comes first.
      {{{"a", P, false}, {"kw", D, false}, {"a", P, false}},
       {ok, ok, "Duplicate parameter name 'a' (3 vs. 1)"}},
      {{{"kw", D, false}, {"kw", D, false}},
       {ok, "Duplicate parameter name 'kw' (2 vs. 1)"}},
      // A tuple group does not need a default after defaulted parameters.
      {{{"a", P, true}, {"t", T, false}}, {ok, ok}},
      {{{"a", P, false}, {"b", P, false}, {"c", P, true}, {"d", P, true}},
       {ok, ok, ok, ok}},
  };
  for (const Case& c : cases) {
    std::string names;
    for (const Param& p : c.params) names += p.name + " ";
    EXPECT_EQ(CheckAll(c.params), c.expected) << "parameters: " << names;
  }
}

TEST(ParameterCheckerTest, RefusesToGoOnAfterAFailure) {
  ParameterChecker checker;
  EXPECT_EQ(checker.Check("a", P, false), "");
  EXPECT_NE(checker.Check("a", P, false), "");
  EXPECT_EQ(checker.Check("b", P, false),
            "Internal error checking function definition");
}

}  // namespace
}  // namespace kivg
