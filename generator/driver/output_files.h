// The generator's three outputs (spec file, C header, C source), created
// before any source is read and either closed or removed at the end. A failed
// run never leaves a generated file behind for a build system to mistake for
// a fresh one.
#pragma once

#include <fstream>
#include <ostream>
#include <string>

#include "generator/driver/command_line.h"

class OutputFiles {
 public:
  // Creates the three files in the order spec, header, C source. On failure
  // reports it, removes the files created before and returns false.
  bool Create(const OutputNames& names, std::ostream& err);

  std::ostream& spec() { return files_[kSpec].stream; }
  std::ostream& header() { return files_[kHeader].stream; }
  std::ostream& source() { return files_[kSource].stream; }

  // Closes all three in order. With report on, each one that failed is
  // reported and removed. Returns whether any failed.
  bool Close(bool report, std::ostream& err);
  // Closes (ignoring failures) and removes every file created.
  void Remove();

 private:
  enum { kSpec, kHeader, kSource, kCount };
  struct Output {
    std::string path;
    std::ofstream stream;
    bool created = false;
  };
  Output files_[kCount];
};
