// The driver's one line for a file it could not open, read, create or
// write, in each of its forms.
#include "generator/driver/file_error.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileErrorLine, FormatsEveryFormOfTheLine) {
  using kivg::FileAccess;
  using kivg::FileErrorLine;
  const kivg::SourceLocation at("app.kivs", 3, 8);
  struct Case {
    std::string line, expected;
  } cases[] = {
      {FileErrorLine(FileAccess::kOpening, "app.kivs", "No such file"),
       "Error opening app.kivs: No such file\n"},
      {FileErrorLine(FileAccess::kReading, "./big.kivs", "File too large"),
       "Error reading ./big.kivs: File too large\n"},
      {FileErrorLine(at, FileAccess::kOpening, "lib.kivs", "No such file"),
       "app.kivs:3:8: Error opening lib.kivs: No such file\n"},
      {FileErrorLine(at, FileAccess::kOpening, "lib.kivs", "No such file", "l"),
       "app.kivs:3:8: Error opening lib.kivs imported as 'l': No such file\n"},
      {FileErrorLine(at, FileAccess::kOpening, "app.h", "Same file as app.h"),
       "app.kivs:3:8: Error opening app.h: Same file as app.h\n"},
      {FileErrorLine(FileAccess::kCreating, "out/app.kivec", "No such file"),
       "Error creating out/app.kivec: No such file\n"},
      {FileErrorLine(FileAccess::kWriting, "standard output", "Broken pipe"),
       "Error writing standard output: Broken pipe\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line, c.expected);
}
