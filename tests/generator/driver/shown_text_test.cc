// How the driver's lines show text from a spec: escaped, unambiguous, and
// a bad token's text cut to a readable length.
#include "generator/driver/shown_text.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/generator/kivg_run.h"

namespace {

// A 50 MB unterminated string makes one short line, not 50 MB of raw bytes.
TEST(KivgBadToken, HugeTextIsCut) {
  TempDir dir;
  dir.Write("app.kivs", "x = \"\x1b[2J" + std::string(50 << 20, 'a') + "\n");
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "app.kivs:1:5: Bad token encountered: '\\x1b[2J" +
                            std::string(60, 'a') + "...'\nEnded in ERROR\n");
}

TEST(ShownTokenText, EscapesAndCuts) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"$", "$"},
      {std::string("\0", 1), "\\x00"},
      {"tab\there", "tab\\x09here"},
      {"\x7f\x80\xff", "\\x7f\\x80\\xff"},
      {" ~", " ~"},
      {std::string(64, 'x'), std::string(64, 'x')},
      {std::string(65, 'x'), std::string(64, 'x') + "..."},
      {std::string(63, 'x') + "\n\n", std::string(63, 'x') + "\\x0a..."},
      // A backslash is doubled, so that the byte 0x01 and the four
      // characters \x01 never show alike.
      {"\\", "\\\\"},
      {"\\x01", "\\\\x01"},
      {"\x01", "\\x01"},
      {std::string(63, 'x') + "\\", std::string(63, 'x') + "\\\\"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kivg::ShownTokenText(c.text), c.shown) << c.shown;
}

// File names are shown whole, escaped as token text is.
TEST(ShownText, EscapesWithoutCutting) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"./inc/x.kivs", "./inc/x.kivs"},
      {"./\x1b]0;pwned\x07.kivs", "./\\x1b]0;pwned\\x07.kivs"},
      {"sub\\x.kivs", "sub\\\\x.kivs"},
      {std::string(100, 'n'), std::string(100, 'n')},
  };
  for (const auto& c : cases) EXPECT_EQ(kivg::ShownText(c.text), c.shown);
}

// The text of a bad token holding a backslash, as a user sees it.
TEST(KivgBadToken, BackslashIsDoubled) {
  TempDir dir;
  dir.Write("app.kivs", "x = 1 \\ \n");
  const ProgramResult result = RunKivg(dir, {"-q", "app.kivs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "app.kivs:1:7: Bad token encountered: '\\\\ '\nEnded in ERROR\n");
}

}  // namespace
