// The generator's three outputs (spec file, C header, C source) and the
// dependency file beside them, written so that a build tool never trusts a
// set the inputs did not make. Each output is written to a temporary next
// to it; at the commit, under the commit lock and with interrupts held
// off, the dependency file is first marked (it makes the next build rerun
// kivg, and its time stamp is old), then the changed outputs are renamed
// into place, and only then is the real dependency file written. So a stop
// at any instant leaves the previous set, or a set the next build reruns
// kivg for, or the new set with its dependency file. After a failure the
// temporaries and the earlier outputs are removed.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "generator/driver/command_line.h"
#include "generator/driver/dependency_file.h"
#include "generator/driver/replaced_file.h"
#include "generator/driver/same_file.h"

namespace kivg {

class OutputSet {
 public:
  OutputSet() = default;
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;
  ~OutputSet();

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
  // After a clean Close: puts the changed outputs into place and writes the
  // dependency file (when one is named) as the class comment says. False
  // after reporting a failure; the set on disk is then the previous one, or
  // one the next build reruns kivg for.
  bool Commit(const DependencyFile& dependencies, std::ostream& err);
  // Discards the temporaries; the files at the three paths stay as they were.
  void Discard();
  // Discards the temporaries and removes the regular files at the three
  // paths.
  void Remove();

 private:
  // Writes `text` as the dependency file. A mark is backdated, and never
  // written into a stream (a device or pipe is only written once, with the
  // real text).
  bool WriteDependencyText(const std::string& text, bool mark,
                           std::ostream& err);

  enum { kSpec, kHeader, kSource, kCount };
  ReplacedFile files_[kCount];
  std::vector<FileKey> keys_;
  std::string depfile_;
  std::vector<std::string> targets_;
  int depfileDirectory_ = -1;
  bool marked_ = false;  // the dependency file is the mark
};

// "Error creating PATH: Same file as OTHER" for the first of `paths` that
// names the same file as `source` or as a path before it; false then.
bool CheckDistinctFiles(const std::string& source,
                        const std::vector<std::string>& paths,
                        std::vector<FileKey>* keys, std::ostream& err);

}  // namespace kivg
