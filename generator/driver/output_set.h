// The generator's three outputs (spec file, C header, C source). Each is
// written to a temporary next to it and put into place only when the whole
// run has succeeded and every stream closed cleanly; after a failure the
// temporaries and the earlier outputs are removed, so a build system never
// mistakes a stale or partial file for a fresh one.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "generator/driver/command_line.h"
#include "generator/driver/replaced_file.h"
#include "generator/driver/same_file.h"

namespace kivg {

class OutputSet {
 public:
  // Refuses, before anything is created, an output that is the same file as
  // SOURCE, as the dependency file (empty: none) or as another output. Then
  // creates the three in the order spec, header, C source. On failure
  // reports it, removes what was created and the earlier outputs, and
  // returns false.
  bool Create(const OutputNames& names, const std::string& source,
              const std::string& depfile, std::ostream& err);

  std::ostream& spec() { return files_[kSpec].stream(); }
  std::ostream& header() { return files_[kHeader].stream(); }
  std::ostream& source() { return files_[kSource].stream(); }

  // The outputs as they were before the run, for the check that no source
  // read during the run is one of them.
  const std::vector<FileKey>& keys() const { return keys_; }

  // Closes all three in order; each one that failed is reported with the
  // first error of its stream. True when all three closed cleanly.
  bool Close(std::ostream& err);
  // After a clean Close: puts the three into place together (an interrupt
  // cannot fall between them). False after reporting a failed rename.
  bool Commit(std::ostream& err);
  // Discards the temporaries; the files at the three paths stay as they were.
  void Discard();
  // Discards the temporaries and removes the regular files at the three
  // paths.
  void Remove();

 private:
  enum { kSpec, kHeader, kSource, kCount };
  ReplacedFile files_[kCount];
  std::vector<FileKey> keys_;
};

// "Error creating PATH: Same file as OTHER" for the first of `paths` that
// names the same file as `source` or as a path before it; false then.
bool CheckDistinctFiles(const std::string& source,
                        const std::vector<std::string>& paths,
                        std::vector<FileKey>* keys, std::ostream& err);

}  // namespace kivg
