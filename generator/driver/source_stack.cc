#include "generator/driver/source_stack.h"

namespace kivg {

bool SourceStack::Holds(const std::string& name) const {
  for (const SourceEntry& entry : entries_) {
    if (entry.name == name) return true;
  }
  return false;
}

void SourceStack::PopFinished(Generator& generator) {
  while (!entries_.empty() && entries_.back().finished) {
    const SourceLocation includeLocation = entries_.back().includeLocation;
    entries_.pop_back();
    if (entries_.empty()) return;  // the module is finished
    const SourceEntry& resumed = entries_.back();
    generator.SetSource(resumed.name, false, resumed.savedLibrary,
                        includeLocation);
  }
}

}  // namespace kivg
