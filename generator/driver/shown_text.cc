#include "generator/driver/shown_text.h"

#include <algorithm>

namespace kivg {

namespace {

// Longest part of a bad token's text that a message shows.
constexpr size_t kShownTokenBytes = 64;

void AppendShown(const std::string& text, size_t count, std::string* shown) {
  static const char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c > 0x7e) {
      *shown += "\\x";
      *shown += kHex[c >> 4];
      *shown += kHex[c & 0xf];
    } else if (c == '\\') {
      *shown += "\\\\";
    } else {
      *shown += static_cast<char>(c);
    }
  }
}

}  // namespace

std::string ShownText(const std::string& text) {
  std::string shown;
  AppendShown(text, text.size(), &shown);
  return shown;
}

std::string ShownTokenText(const std::string& text) {
  std::string shown;
  const size_t count = std::min(text.size(), kShownTokenBytes);
  AppendShown(text, count, &shown);
  if (count < text.size()) shown += "...";
  return shown;
}

}  // namespace kivg
