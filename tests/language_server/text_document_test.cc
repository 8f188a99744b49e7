// Positions in a document counted both ways: the editor's (UTF-16 or UTF-8,
// lines ended by \n, \r\n or \r) and the generator's (bytes, \n only), and
// incremental edits.
#include "language_server/text_document.h"

#include <gtest/gtest.h>

#include <string>

namespace kivls {
namespace {

struct OffsetCase {
  const char* text;
  int64_t line, character;  // editor position
  size_t utf16Offset, utf8Offset;
};

TEST(TextDocument, OffsetsOfEditorPositions) {
  const OffsetCase cases[] = {
      {"abc", 0, 2, 2, 2},
      {"a\tb", 0, 2, 2, 2},  // a tab is one character
      // e-acute: 1 unit, 2 bytes; inside a sequence: its start
      {"\xc3\xa9x", 0, 1, 2, 0},
      {"\xc3\xa9x", 0, 2, 3, 2},
      // emoji: 2 units, 4 bytes; inside a surrogate pair: its start
      {"\xf0\x9f\x98\x80x", 0, 2, 4, 0},
      {"\xf0\x9f\x98\x80x", 0, 1, 0, 0},
      {"\xf0\x9f\x98\x80x", 0, 4, 5, 4},
      {"ab\ncd", 1, 1, 4, 4},
      {"ab\r\ncd", 1, 1, 5, 5},
      {"ab\rcd", 1, 1, 4, 4},     // a lone \r ends a line too
      {"ab\ncd", 0, 99, 2, 2},    // past the end of the line
      {"ab\ncd", 7, 0, 5, 5},     // past the last line
      {"\xff\xfex", 0, 2, 2, 2},  // stray bytes: one each
  };
  for (const OffsetCase& c : cases) {
    const TextDocument document(c.text);
    const Position position{c.line, c.character};
    EXPECT_EQ(document.OffsetOf(position, PositionEncoding::kUtf16),
              c.utf16Offset)
        << c.text;
    EXPECT_EQ(document.OffsetOf(position, PositionEncoding::kUtf8),
              c.utf8Offset)
        << c.text;
  }
}

TEST(TextDocument, EditorPositionsOfOffsetsRoundTrip) {
  const std::string text =
      "x\t= \"\xc3\xa9\xf0\x9f\x98\x80\"\r\n\xe4\xb8\xad = 1\rz\n";
  const TextDocument document(text);
  for (PositionEncoding encoding :
       {PositionEncoding::kUtf16, PositionEncoding::kUtf8}) {
    for (size_t offset = 0; offset <= text.size(); ++offset) {
      // Between the two bytes of a line break is no place in a line.
      if (offset > 0 && text[offset - 1] == '\r' && text[offset] == '\n')
        continue;
      const Position position = document.PositionOf(offset, encoding);
      const size_t back = document.OffsetOf(position, encoding);
      // Offsets inside a character or a line break map to its start.
      EXPECT_LE(back, offset);
      EXPECT_EQ(document.PositionOf(back, encoding), position);
    }
  }
  // The line break after the closing quote.
  EXPECT_EQ(document.PositionOf(12, PositionEncoding::kUtf16).character, 9);
  EXPECT_EQ(document.PositionOf(12, PositionEncoding::kUtf8).character, 12);
}

TEST(TextDocument, GeneratorLocationsCountNewlinesAndBytes) {
  const struct {
    const char* text;
    int64_t line, column;
    size_t offset;
  } cases[] = {
      {"ab\ncd", 2, 2, 4}, {"ab\r\ncd", 2, 1, 4},
      {"ab\rcd", 1, 4, 3},  // \r ends no line for the generator
      {"ab\ncd", 1, 9, 2},  // past the line's end: its end
      {"ab\ncd", 5, 1, 5}, {"\xc3\xa9x", 1, 3, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextDocument(c.text).OffsetOfLocation(c.line, c.column), c.offset)
        << c.text << " " << c.line << ":" << c.column;
  }
}

TEST(TextDocument, EditsReindexLines) {
  TextDocument document("a\nb\nc\n");
  document.Replace(2, 3, "x\r\ny");
  EXPECT_EQ(document.text(), "a\nx\r\ny\nc\n");
  EXPECT_EQ(document.OffsetOf({2, 0}, PositionEncoding::kUtf16), 5u);
  EXPECT_EQ(document.OffsetOfLocation(4, 1), 7u);
  document.SetText("");
  EXPECT_EQ(document.OffsetOf({3, 3}, PositionEncoding::kUtf8), 0u);
  EXPECT_EQ(document.PositionOf(0, PositionEncoding::kUtf8), (Position{0, 0}));
}

}  // namespace
}  // namespace kivls
