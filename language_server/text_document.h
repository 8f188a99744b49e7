// The text of one document as the server holds it, and the two ways of
// counting a position in it: the editor's (lines ended by "\n", "\r\n" or
// "\r"; characters counted in UTF-16 code units or in UTF-8 bytes, as the
// client and server agreed) and the generator's (lines ended by "\n" only,
// columns counted in bytes, a tab being one). Text that is not valid UTF-8
// counts each stray byte as one character, as editors show it: U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivls {

enum class PositionEncoding { kUtf16, kUtf8 };

// A position as the protocol gives it: 0-based line and character.
struct Position {
  int64_t line = 0;
  int64_t character = 0;
  friend bool operator==(const Position& a, const Position& b) {
    return a.line == b.line && a.character == b.character;
  }
};

struct Range {
  Position start;
  Position end;
};

class TextDocument {
 public:
  TextDocument() = default;
  explicit TextDocument(std::string text);

  const std::string& text() const { return text_; }

  // Replaces the bytes between two offsets (start <= end <= size).
  void Replace(size_t start, size_t end, const std::string& replacement);
  void SetText(std::string text);

  // The byte offset of an editor position. A line past the last is the end
  // of the text and a character past its line's end is that end, as the
  // protocol asks; a character inside a multi-byte sequence is the start of
  // that sequence.
  size_t OffsetOf(const Position& position, PositionEncoding encoding) const;
  // The editor position of a byte offset (clamped to the text).
  Position PositionOf(size_t offset, PositionEncoding encoding) const;

  // The byte offset of a generator location (1-based line and column); a
  // column past the end of its line is the end of that line.
  size_t OffsetOfLocation(int64_t line, int64_t column) const;
  // The offset of the end of the generator line holding offset (before its
  // "\n", or the end of the text).
  size_t LocationLineEnd(size_t offset) const;

 private:
  void IndexLines();

  std::string text_;
  // Offsets at which each editor line starts; the first is 0.
  std::vector<size_t> lineStarts_;
  // No "\r" in the text: the editor's lines are the generator's.
  bool newlineBreaksOnly_ = true;
};

}  // namespace kivls
