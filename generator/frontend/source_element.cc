#include "generator/frontend/source_element.h"

#include <mutex>
#include <unordered_set>

namespace kivg {

FileName::FileName(const std::string& name) {
  if (name.empty()) return;
  // Set nodes never move, so the pointers handed out stay valid.
  static std::mutex mutex;
  static auto* names = new std::unordered_set<std::string>;
  std::lock_guard<std::mutex> lock(mutex);
  name_ = &*names->insert(name).first;
}

const std::string& FileName::str() const {
  static const std::string kEmpty;
  return name_ != nullptr ? *name_ : kEmpty;
}

}  // namespace kivg
