// The stdio file handles that kivs owns while it runs. A handle enters when
// its file is opened and leaves when the runner closes it; whatever is still
// held is closed on every way out of the run.
#pragma once

#include <cstdio>
#include <set>

namespace kivs {

class OpenFileSet {
 public:
  OpenFileSet() = default;
  // Closes silently what CloseAll has not: a last guard against leaks.
  ~OpenFileSet();
  OpenFileSet(const OpenFileSet&) = delete;
  OpenFileSet& operator=(const OpenFileSet&) = delete;

  void Add(std::FILE* file);
  bool Contains(std::FILE* file) const;
  // Takes the file out of the set and closes it; false if the close failed.
  bool Close(std::FILE* file);
  // Closes every handle still held. A failure, however many, is reported
  // once on standard error; the exit status does not change.
  void CloseAll();

 private:
  std::set<std::FILE*> files_;
};

}  // namespace kivs
