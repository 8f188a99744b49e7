#include "generator/model/text_pool.h"

#include <cstring>

namespace kivg {

namespace {

constexpr size_t kBlockSize = 64 * 1024;

}  // namespace

std::string_view TextPool::Keep(std::string_view text) {
  if (text.empty()) return std::string_view();
  if (text.size() > left_) {
    // A long text gets a block of its own; the current block stays open for
    // the texts after it.
    if (text.size() > kBlockSize / 4) {
      blocks_.push_back(std::make_unique<char[]>(text.size()));
      std::memcpy(blocks_.back().get(), text.data(), text.size());
      return std::string_view(blocks_.back().get(), text.size());
    }
    blocks_.push_back(std::make_unique<char[]>(kBlockSize));
    free_ = blocks_.back().get();
    left_ = kBlockSize;
  }
  std::memcpy(free_, text.data(), text.size());
  std::string_view kept(free_, text.size());
  free_ += text.size();
  left_ -= text.size();
  return kept;
}

}  // namespace kivg
