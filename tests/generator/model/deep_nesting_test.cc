// Classes nested as deeply as memory allows. Every walk over the model and
// every teardown of it must go one level at a time: a recursive one
// overflows the process stack long before a million levels. A million levels
// cannot be written as text (the indentation alone would be half a
// terabyte), so the fixture fills the model directly; a spec of 1,500 levels
// goes through kivg as text.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "generator/model/generator.h"
#include "tests/generator/kivg_run.h"

namespace kivg {
namespace {

class DeepModel : public ::testing::Test {
 protected:
  static constexpr int kDepth = 1000000;

  DeepModel() : generator_(std::make_unique<Generator>(diagnostics_, "app")) {
    generator_->QueueModule("app");
    generator_->StartNextModule(nullptr);
    generator_->SetSource("app.kivs", true, false, SourceLocation());
    generator_->SetFeature(Name("class"), true);
    for (int level = 0; level < kDepth; ++level)
      generator_->DefineClass(Name("C" + std::to_string(level)));
  }

  static Token* Name(const std::string& text) {
    return new Token(SourceLocation("app.kivs", 1, 1), TokenType::NAME, text);
  }

  void CloseAllClasses() {
    for (int level = 0; level < kDepth; ++level) generator_->EndClass();
  }

  std::ostringstream diagnostics_;
  std::unique_ptr<Generator> generator_;
};

// Surviving is what this checks: the Generator is destroyed with every class
// still open, which a recursive teardown of the scopes could not do.
TEST_F(DeepModel, DestroyedWithClassesStillOpen) {
  EXPECT_EQ(generator_->scopeStack.size(), static_cast<size_t>(kDepth));
  generator_.reset();
}

TEST_F(DeepModel, OuterClassRedefined) {
  CloseAllClasses();
  generator_->AssignConstant(Name("C0"), nullptr);
  EXPECT_EQ(diagnostics_.str(), "app.kivs:1:1: Warning: Name 'C0' redefined\n");
}

TEST_F(DeepModel, OuterClassDeleted) {
  CloseAllClasses();
  auto* names = new NameList;
  std::unique_ptr<Token> name(Name("C0"));
  generator_->DeleteNames(names->Append(*name));
  EXPECT_EQ(generator_->errorCount, 0);
}

TEST_F(DeepModel, FinalizedAndWalked) {
  CloseAllClasses();
  ASSERT_TRUE(generator_->Finalize());
  const DefinitionWalk& walk = generator_->walk;
  // The qualified names of a million nested classes share one string.
  int definitions = 0;
  int classEnds = 0;
  ForEachQualifiedName(walk, [&](uint32_t i, std::string_view) {
    if (walk.steps()[i].IsDefinition()) ++definitions;
    if (walk.steps()[i].kind == StepKind::kClassEnd) ++classEnds;
  });
  // Every class, plus the class initializer that the class feature adds.
  EXPECT_EQ(definitions, kDepth + 1);
  EXPECT_EQ(classEnds, kDepth);
  EXPECT_EQ(diagnostics_.str(), "");
}

// Nested classes, one more space of indentation per level, then `tail` at
// the top level.
std::string NestedClasses(int depth, const std::string& tail) {
  std::string text = "+class\n";
  for (int level = 0; level < depth; ++level)
    text += std::string(level, ' ') + "class C" + std::to_string(level) + ":\n";
  text += std::string(depth, ' ') + "x = 1\n" + tail;
  return text;
}

// Read as text by kivg: redefining or deleting the outer class of a deep
// nesting destroys the whole chain, as does the end of the run.
TEST(DeepModelAsText, ReadByKivgAndReleased) {
  const int depth = 1500;
  const std::string line = std::to_string(depth + 3);
  const struct {
    const char* label;
    std::string tail;
    std::string err;
  } cases[] = {
      {"kept", "", ""},
      {"redefined", "C0 = 1\n",
       "app.kivs:" + line + ":1: Warning: Name 'C0' redefined\n"},
      {"deleted", "del C0\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    dir.Write("app.kivs", NestedClasses(depth, c.tail));
    const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, c.err);
  }
}

}  // namespace
}  // namespace kivg
