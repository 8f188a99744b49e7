// Keeps copies of many short texts in a few large blocks. The copies never
// move, so views of them stay valid as long as the pool, and a pass over
// texts kept one after another reads memory front to back.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace kivg {

class TextPool {
 public:
  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  // A copy of the text that lives as long as the pool.
  std::string_view Keep(std::string_view text);

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t left_ = 0;
};

}  // namespace kivg
