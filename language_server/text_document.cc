#include "language_server/text_document.h"

#include <algorithm>
#include <cstring>

namespace kivls {

namespace {

// The length of the UTF-8 sequence that starts at text[i], or 1 for a byte
// that does not start a valid one (each such byte is one character).
size_t SequenceLength(const std::string& text, size_t i, size_t end) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  size_t length;
  uint32_t minimum;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    minimum = 0x10000;
  } else {
    return 1;
  }
  if (i + length > end) return 1;
  uint32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0) != 0x80) return 1;
    code = (code << 6) | (c & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 1;
  return length;
}

// How many units of the encoding the sequence of `length` bytes takes.
int64_t Units(size_t length, PositionEncoding encoding) {
  if (encoding == PositionEncoding::kUtf8) return static_cast<int64_t>(length);
  return length == 4 ? 2 : 1;
}

}  // namespace

TextDocument::TextDocument(std::string text) : text_(std::move(text)) {
  IndexLines();
}

void TextDocument::SetText(std::string text) {
  text_ = std::move(text);
  IndexLines();
}

void TextDocument::Replace(size_t start, size_t end,
                           const std::string& replacement) {
  text_.replace(start, end - start, replacement);
  IndexLines();
}

void TextDocument::IndexLines() {
  lineStarts_.clear();
  lineStarts_.push_back(0);
  const char* data = text_.data();
  const size_t size = text_.size();
  newlineBreaksOnly_ = std::memchr(data, '\r', size) == nullptr;
  if (newlineBreaksOnly_) {
    for (const char* next = data;
         (next = static_cast<const char*>(
              std::memchr(next, '\n', size - (next - data)))) != nullptr;) {
      ++next;
      lineStarts_.push_back(static_cast<size_t>(next - data));
    }
    return;
  }
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n' && data[i] != '\r') continue;
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    lineStarts_.push_back(i + 1);
  }
}

size_t TextDocument::OffsetOf(const Position& position,
                              PositionEncoding encoding) const {
  if (position.line < 0) return 0;
  if (static_cast<size_t>(position.line) >= lineStarts_.size())
    return text_.size();
  const size_t start = lineStarts_[position.line];
  size_t end = static_cast<size_t>(position.line) + 1 < lineStarts_.size()
                   ? lineStarts_[position.line + 1]
                   : text_.size();
  // The line's own end excludes its line break.
  while (end > start && (text_[end - 1] == '\n' || text_[end - 1] == '\r'))
    --end;
  int64_t units = 0;
  size_t i = start;
  while (i < end && units < position.character) {
    const size_t length = SequenceLength(text_, i, end);
    units += Units(length, encoding);
    if (units > position.character) break;  // inside a surrogate pair
    i += length;
  }
  return i;
}

Position TextDocument::PositionOf(size_t offset,
                                  PositionEncoding encoding) const {
  offset = std::min(offset, text_.size());
  const auto after =
      std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  const size_t line = static_cast<size_t>(after - lineStarts_.begin()) - 1;
  Position position;
  position.line = static_cast<int64_t>(line);
  size_t i = lineStarts_[line];
  while (i < offset) {
    const size_t length = SequenceLength(text_, i, text_.size());
    if (i + length > offset) break;  // inside a sequence: its start
    position.character += Units(length, encoding);
    i += length;
  }
  return position;
}

size_t TextDocument::OffsetOfLocation(int64_t line, int64_t column) const {
  size_t offset = 0;
  if (line >= 1 && newlineBreaksOnly_) {
    // The generator's lines are the editor's.
    if (static_cast<size_t>(line) > lineStarts_.size()) return text_.size();
    offset = lineStarts_[line - 1];
  } else {
    for (int64_t l = 1; l < line; ++l) {
      const void* next =
          std::memchr(text_.data() + offset, '\n', text_.size() - offset);
      if (next == nullptr) return text_.size();
      offset = static_cast<const char*>(next) - text_.data() + 1;
    }
  }
  const size_t lineEnd = LocationLineEnd(offset);
  if (column < 1) return offset;
  return std::min(offset + static_cast<size_t>(column - 1), lineEnd);
}

size_t TextDocument::LocationLineEnd(size_t offset) const {
  const size_t end = text_.find('\n', std::min(offset, text_.size()));
  return end == std::string::npos ? text_.size() : end;
}

}  // namespace kivls
