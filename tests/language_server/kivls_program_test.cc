// The kivls program as a user starts it by hand: usage, version, command-line
// errors, and its manual page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

TEST(KivlsProgram, CommandLine) {
  const struct {
    std::vector<std::string> args;
    int status;
    bool usage;       // the usage text on standard error
    const char* out;  // standard output
    const char* err;  // standard error, when not the usage
  } cases[] = {
      {{"-h"}, 0, true, "", nullptr},
      {{"/h"}, 0, true, "", nullptr},
      {{"-v"}, 0, false, "Kiv language server version 1.3.1.0\n", ""},
      {{"--stdio", "-v"},
       0,
       false,
       "Kiv language server version 1.3.1.0\n",
       ""},
      {{"-x"}, 1, false, "", "Invalid option: -x\n"},
      {{"-m"}, 1, false, "", "Invalid message limit: \n"},
      {{"-m", "0"}, 1, false, "", "Invalid message limit: 0\n"},
      {{"-m", "-5"}, 1, false, "", "Invalid message limit: -5\n"},
      {{"spec.kivs"}, 1, true, "", nullptr},
  };
  for (const auto& c : cases) {
    const ProgramResult result = RunProgram(BinPath("kivls"), c.args);
    const std::string shown = c.args.front();
    EXPECT_EQ(result.status, c.status) << shown;
    EXPECT_EQ(result.out, c.out) << shown;
    if (c.usage)
      EXPECT_EQ(result.err.find("Usage:      kivls [OPTION]...\n"), 0u)
          << shown;
    else
      EXPECT_EQ(result.err, c.err) << shown;
  }
}

// Standard input at its end: the client is gone before it said anything.
TEST(KivlsProgram, EndsWhenTheClientIsGone) {
  const ProgramResult result = RunProgram(BinPath("kivls"), {});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

TEST(KivlsProgram, ManualPageRendersWithoutWarnings) {
  const ProgramResult result = RunProgram(
      "/bin/sh", {"-c", "groff -ww -man -Tutf8 '" + SourcePath("doc/kivls.1") +
                            "' > /dev/null"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

}  // namespace
