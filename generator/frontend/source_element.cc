#include "generator/frontend/source_element.h"

#include <mutex>
#include <unordered_set>

namespace kivg {

namespace {

// Every file name a location has held, kept for the rest of the process and
// never freed: locations outlive any one run (a finished run's model is left
// to the operating system at exit, and static objects may still hold
// locations while others are destroyed), so the names must stay valid until
// the process is gone. Set nodes never move, so the pointers handed out stay
// valid as the set grows. The lock lets a program read sources on more than
// one thread; kivg has one, so it is never contended.
struct InternedNames {
  std::mutex lock;
  std::unordered_set<std::string> names;
};

InternedNames& Interned() {
  static auto* interned = new InternedNames;
  return *interned;
}

}  // namespace

FileName::FileName(const std::string& name) {
  if (name.empty()) return;
  InternedNames& interned = Interned();
  std::lock_guard<std::mutex> guard(interned.lock);
  name_ = &*interned.names.insert(name).first;
}

const std::string& FileName::str() const {
  static const std::string kEmpty;
  return name_ != nullptr ? *name_ : kEmpty;
}

}  // namespace kivg
