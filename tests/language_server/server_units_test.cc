// The server's small pieces: URIs and paths, the reach of a token as the
// generator's lexer reads it, and what can be read from a broken message.
#include <gtest/gtest.h>

#include <string>

#include "language_server/editor_diagnostics.h"
#include "language_server/message_salvage.h"
#include "language_server/uri.h"

namespace kivls {
namespace {

TEST(Uri, PathsOfFileUris) {
  const struct {
    const char* uri;
    const char* path;
  } cases[] = {
      {"file:///home/a/app.kivs", "/home/a/app.kivs"},
      {"file://localhost/a%20b/x%23.kivs", "/a b/x#.kivs"},
      {"FILE:///a/b", "/a/b"},
      {"file:///a/b?query#fragment", "/a/b"},
      {"file://otherhost/a", ""},
      {"untitled:Untitled-1", ""},
      {"file:///a%00b", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PathOfUri(c.uri), c.path) << c.uri;
  EXPECT_EQ(UriOfPath("/a b/\xc3\xa9#.kivs"), "file:///a%20b/%C3%A9%23.kivs");
  EXPECT_EQ(PathOfUri(UriOfPath("/x y/%z")), "/x y/%z");
}

TEST(Uri, NormalPaths) {
  const struct {
    const char* path;
    const char* normal;
  } cases[] = {
      {"/a/./b//c", "/a/b/c"}, {"/a/b/../c", "/a/c"}, {"/../a", "/a"},
      {"a/../../b", "../b"},   {"./a", "a"},          {".", "."},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalPath(c.path), c.normal);
  EXPECT_EQ(AbsolutePath("/w", "specs/x.kivs"), "/w/specs/x.kivs");
  EXPECT_EQ(AbsolutePath("/w", "/abs"), "/abs");
}

TEST(TokenLength, CoversTheTokenTheLexerReads) {
  const struct {
    const char* line;
    size_t length;
  } cases[] = {
      {"name = 1", 4},
      {"\"quoted # text\" # c", 15},
      {"'open string", 12},
      {"12abc", 3},  // the rejected letter too
      {"-42)", 3},
      {"0x1F,", 4},
      {"$x", 1},
      {"...", 3},
      {"\\  ", 3},
      {"", 0},
  };
  for (const auto& c : cases) {
    const std::string text = std::string("  ") + c.line;
    EXPECT_EQ(TokenLength(text, 2, text.size()), c.length) << c.line;
  }
}

TEST(SalvageMessage, ReadsWhatComesBeforeTheFault) {
  const struct {
    const char* body;
    const char* id;
    const char* method;
    const char* uri;
  } cases[] = {
      {"{\"jsonrpc\":\"2.0\",\"id\":7,\"method\":\"x\",\"params\":{\"a\":", "7",
       "x", ""},
      {"{\"id\":\"s\",\"params\":{\"id\":3}", "\"s\"", "", ""},
      {"{\"method\":\"textDocument/didChange\",\"params\":{\"textDocument\":"
       "{\"uri\":\"file:///"
       "a\",\"version\":2},\"contentChanges\":[{\"text\":\"\xff",
       "null", "textDocument/didChange", "file:///a"},
      {"[{\"id\":1}]", "null", "", ""},
      {"not json", "null", "", ""},
  };
  for (const auto& c : cases) {
    const SalvagedMessage salvaged = SalvageMessage(c.body);
    EXPECT_EQ(salvaged.id.dump(), c.id) << c.body;
    EXPECT_EQ(salvaged.method, c.method) << c.body;
    EXPECT_EQ(salvaged.uri, c.uri) << c.body;
  }
}

}  // namespace
}  // namespace kivls
