// Collects generated text and hands it to the output stream in large pieces,
// so that a large spec is neither written line by line nor held whole in
// memory. Shared by the C header and C source writers.
#pragma once

#include <ostream>
#include <string>

namespace kivg {

class TextSink {
 public:
  explicit TextSink(std::ostream& out) : out_(out) {}

  std::string& text() { return text_; }
  void FlushIfLarge() {
    if (text_.size() >= kFlushSize) Flush();
  }
  void Flush() {
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }

 private:
  static constexpr size_t kFlushSize = 1 << 16;
  std::ostream& out_;
  std::string text_;
};

}  // namespace kivg
