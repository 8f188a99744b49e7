// The names of kivg's temporaries: they fit the directory whenever the
// output's name does, and a later run recognises those of its outputs, and
// nothing else, as its own.
#include "generator/driver/temporary_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace {

TEST(TemporaryFiles, NamesFitAndAreRecognised) {
  const std::string pid = std::to_string(getpid());
  EXPECT_EQ(kivg::TemporaryName("app.c", 0, 255), "app.c.kivg-tmp-" + pid);
  EXPECT_EQ(kivg::TemporaryName("app.c", 2, 255),
            "app.c.kivg-tmp-" + pid + "-2");
  const std::string longest(249, 'n');  // + ".kivec" is 255 bytes
  for (int attempt : {0, 7}) {
    const std::string name =
        kivg::TemporaryName(longest + ".kivec", attempt, 255);
    EXPECT_EQ(name.size(), 255u);
    EXPECT_TRUE(kivg::IsTemporaryOf(name, longest + ".kivec", 255)) << name;
    // The cut front is shared by the set's other long names; taking one of
    // theirs for stale is harmless, since a live one holds its lock.
    EXPECT_TRUE(kivg::IsTemporaryOf(name, longest + ".h", 255)) << name;
    EXPECT_FALSE(kivg::IsTemporaryOf(name, "other" + longest, 255)) << name;
  }

  const struct {
    std::string name, base;
    long nameMax;
    bool ours;
  } cases[] = {
      {"app.c.kivg-tmp-12", "app.c", 255, true},
      {"app.c.kivg-tmp-12-3", "app.c", 255, true},
      {"app.c.kivg-tmp-", "app.c", 255, false},
      {"app.c.kivg-tmp-1x", "app.c", 255, false},
      {"app.c.kivg-tmp-1-", "app.c", 255, false},
      {"app.cc.kivg-tmp-1", "app.c", 255, false},
      {"app.kivg-tmp-1", "app.c", 255, false},
      {"other.c.kivg-tmp-1", "app.c", 255, false},
      // A cut front is only taken where the name is as long as it can be.
      {"app.kivg-tmp-1", "app.c", 14, true},
      {"app.kivg-tmp-1", "app.c", 15, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kivg::IsTemporaryOf(c.name, c.base, c.nameMax), c.ours)
        << c.name << " of " << c.base;
}

}  // namespace
