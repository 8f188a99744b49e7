// The one option scanner of kivg, kivs and kivinfo: what it makes of each
// argument at the front of a command line, where the options end, and how
// far the index runs when a value is missing.
#include "cli/option_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Letters a, b and v; a takes a value.
const cli::OptionLetters kLetters = {"abv?", "a"};

// The scan of args (after a program name) as one line per option: "x" for a
// letter x, "x=VALUE" with its value, "invalid ARG", "missing x"; then
// "next N".
std::string Scan(const std::vector<const char*>& args) {
  std::vector<const char*> argv = {"program"};
  argv.insert(argv.end(), args.begin(), args.end());
  cli::OptionScanner scanner(kLetters, argv.data(),
                             static_cast<int>(argv.size()), 1);
  std::string lines;
  cli::ScannedOption option;
  while (scanner.Next(&option)) {
    switch (option.kind) {
      case cli::ScannedOption::Kind::kLetter:
        lines += std::string(1, option.letter);
        if (option.value != nullptr) lines += std::string("=") + option.value;
        break;
      case cli::ScannedOption::Kind::kInvalid:
        lines += std::string("invalid ") + option.argument;
        break;
      case cli::ScannedOption::Kind::kMissingValue:
        lines += std::string("missing ") + option.letter;
        break;
    }
    lines += "\n";
  }
  return lines + "next " + std::to_string(scanner.next()) + "\n";
}

TEST(OptionScanner, ReadsOptionsUntilTheFirstArgumentAfterThem) {
  const struct {
    std::vector<const char*> args;
    const char* scan;
  } rows[] = {
      {{}, "next 1\n"},
      {{"app"}, "next 1\n"},
      {{""}, "next 1\n"},
      {{"-b", "/v", "-?", "app", "-b"}, "b\nv\n?\nnext 4\n"},
      // A value is the next argument, whatever it holds.
      {{"-a", "-b", "app"}, "a=-b\nnext 3\n"},
      {{"/a", "", "app"}, "a=\nnext 3\n"},
      // The doubled prefix ends the options and is consumed; mixed
      // prefixes do not end them.
      {{"--", "-b"}, "next 2\n"},
      {{"//", "app"}, "next 2\n"},
      {{"-/", "/-", "app"}, "invalid -/\ninvalid /-\nnext 3\n"},
      {{"-", "/", "-bb", "-x", "-A"},
       "invalid -\ninvalid /\ninvalid -bb\ninvalid -x\ninvalid -A\nnext 6\n"},
      // A value letter standing last counts its missing value.
      {{"-b", "-a"}, "b\nmissing a\nnext 4\n"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Scan(row.args), row.scan) << ::testing::PrintToString(row.args);
  }
}

}  // namespace
