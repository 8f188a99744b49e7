#include "generator/model/symbol_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kivg {
namespace {

std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::string& message) {
    return message;
  }
  return "(no failure)";
}

TEST(SymbolTableTest, ModuleTableGivesTheMainModuleZero) {
  SymbolTable modules(0);
  EXPECT_EQ(modules.Assign(""), 0);
  EXPECT_EQ(modules.Assign("m"), 1);
  EXPECT_EQ(modules.Assign("n"), 2);
  EXPECT_EQ(modules.Assign("m"), 1);
  EXPECT_EQ(modules.nextSymbol(), 3);
}

TEST(SymbolTableTest, NamesStartAt64AndKeepTheirNumber) {
  SymbolTable names(64);
  EXPECT_EQ(names.Assign("x"), 64);
  EXPECT_EQ(names.Assign("x"), 64);
  EXPECT_EQ(names.Assign("y"), 65);
  EXPECT_TRUE(names.Contains("y"));
  EXPECT_FALSE(names.Contains("z"));
  EXPECT_EQ(names.Lookup("y"), 65);
  EXPECT_EQ(FailureOf([&] { names.Lookup("z"); }), "Symbol name 'z' not found");
}

TEST(SymbolTableTest, ReservedNamesDependOnTheClassFeature) {
  using Entries = std::vector<std::pair<std::string, int32_t>>;
  struct Case {
    uint8_t features;
    Entries expected;  // in name order
  } cases[] = {
      {0, {{"__main__", 2}, {"args", 1}, {"sys", 0}}},
      {1,
       {{"__call__", 8},
        {"__func__", 7},
        {"__get__", 4},
        {"__init__", 3},
        {"__main__", 2},
        {"args", 1},
        {"sys", 0}}},
      {2, {{"__main__", 2}, {"args", 1}, {"sys", 0}}},
  };
  for (const Case& c : cases) {
    SymbolTable names(64);
    names.DefineReservedNames(c.features);
    const auto byName = names.ByName();
    Entries entries(byName.begin(), byName.end());
    EXPECT_EQ(entries, c.expected) << "features " << int(c.features);
    EXPECT_EQ(names.nextSymbol(), 64);
  }
  // Without the class feature __init__ is an ordinary name.
  SymbolTable names(64);
  names.DefineReservedNames(0);
  EXPECT_EQ(names.Assign("__init__"), 64);
}

TEST(SymbolTableTest, ReservedNameAnswersByNumber) {
  EXPECT_EQ(SymbolTable::ReservedName(0), "sys");
  EXPECT_EQ(SymbolTable::ReservedName(3), "__init__");
  EXPECT_EQ(SymbolTable::ReservedName(8), "__call__");
  EXPECT_EQ(SymbolTable::ReservedName(5), std::nullopt);
  EXPECT_EQ(SymbolTable::ReservedName(64), std::nullopt);
}

TEST(SymbolTableTest, DefineReservedFailures) {
  SymbolTable names(64);
  EXPECT_EQ(FailureOf([&] { names.DefineReserved(64, "x"); }),
            "Internal error: Symbol for reserved name x is out of range: 64");
  EXPECT_EQ(FailureOf([&] { names.DefineReserved(-1, "y"); }), "(no failure)");
  names.DefineReservedNames(0);
  EXPECT_EQ(FailureOf([&] { names.DefineReserved(9, "args"); }),
            "System symbol name 'args' already defined");
  EXPECT_EQ(FailureOf([&] { names.DefineReservedNames(0); }),
            "System symbol name 'sys' already defined");
}

TEST(SymbolTableTest, TheRangeEndsAtItsLastNumber) {
  SymbolTable names(SymbolTable::kLastSymbol);
  EXPECT_EQ(names.Assign("last"), 0x7FFFFFF);
  EXPECT_EQ(names.Assign("last"), 0x7FFFFFF);
  EXPECT_EQ(FailureOf([&] { names.Assign("more"); }),
            "Maximum number of name symbols exceeded");
  EXPECT_FALSE(names.Contains("more"));
}

TEST(SymbolTableTest, IterationIsInByteOrderOfNames) {
  SymbolTable names(64);
  for (const char* name : {"b", "a", "\xC3\xA9", "B", "_"}) names.Assign(name);
  std::vector<std::string> order;
  for (const auto& entry : names.ByName()) order.emplace_back(entry.first);
  EXPECT_EQ(order, (std::vector<std::string>{"B", "_", "a", "b", "\xC3\xA9"}));
}

// Enough names to make the table grow many times, some of them reserved
// ahead with Reserve: every name keeps its number and is found again.
TEST(SymbolTableTest, ManyNamesAreAllFoundAgain) {
  SymbolTable names(64);
  names.DefineReservedNames(1);
  std::vector<std::string> assigned;
  for (int i = 0; i < 20000; ++i) {
    if (i == 5000) names.Reserve(30000);
    assigned.push_back("name_" + std::to_string(i * 7919 % 20000));
    EXPECT_EQ(names.Assign(assigned.back()), 64 + i);
  }
  EXPECT_EQ(names.size(), 20000u + 7u);
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(names.Lookup(assigned[i]), 64 + i);
    ASSERT_EQ(names.Assign(assigned[i]), 64 + i);
  }
  EXPECT_EQ(names.Lookup("__call__"), 8);
  EXPECT_FALSE(names.Contains("name_20000"));
  EXPECT_FALSE(names.Contains("name_"));

  std::vector<std::string> sorted = assigned;
  for (const char* reserved : {"sys", "args", "__main__", "__init__", "__get__",
                               "__func__", "__call__"})
    sorted.push_back(reserved);
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::string> byName;
  for (const auto& entry : names.ByName()) byName.emplace_back(entry.first);
  EXPECT_EQ(byName, sorted);
}

}  // namespace
}  // namespace kivg
