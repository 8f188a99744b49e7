// The open source files of the module being read, innermost on top: an
// included file is read completely before the rest of the file that
// includes it. The run sequence owns one; it is empty between modules.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "generator/frontend/lexer.h"
#include "generator/frontend/parser.h"
#include "generator/frontend/source_element.h"
#include "generator/model/generator.h"

namespace kivg {

// One open source file of the module being read.
struct SourceEntry {
  std::string name;  // used in token locations, diagnostics, cycle checks
  bool savedLibrary = false;
  SourceLocation includeLocation;  // empty for a module's first file
  std::unique_ptr<Lexer> lexer;
  std::unique_ptr<Parser> parser;
  // The file's END has been parsed while an include it requested on its
  // last line was still to be read; it is popped when that include ends.
  bool finished = false;
};

class SourceStack {
 public:
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }
  SourceEntry& top() { return entries_.back(); }
  void Push(SourceEntry entry) { entries_.push_back(std::move(entry)); }

  // Whether a file of this name is open: an include cycle.
  bool Holds(const std::string& name) const;

  // Pops the finished file on top, and below it every file that finished
  // while waiting for the include on its last line. Each pop is an end of
  // file of its own: the file below becomes current again with its own
  // library flag, so that a lib of an included file never outlives it,
  // whether or not the include stood on a last line without a newline.
  void PopFinished(Generator& generator);

 private:
  std::vector<SourceEntry> entries_;
};

}  // namespace kivg
