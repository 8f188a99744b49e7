// The make-style dependency file that kivg writes when KIV_SPEC_DEPFILE names
// one: the three outputs as targets and every source file the run read as
// prerequisites, so that a build tool (make, Ninja, CMake's DEPFILE) runs kivg
// again when the spec or anything it includes or imports changes.
#pragma once

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace kivg {

class DependencyFile {
 public:
  // Targets are written as given: a build tool matches them by their text
  // against the outputs it asked for.
  explicit DependencyFile(std::vector<std::string> targets);

  // Records a file the run read. A relative path is made absolute against
  // the current directory, because the build tool may read the rule from
  // another directory than the one kivg ran in; a file reached twice, under
  // any spelling of the same path, is recorded once.
  void AddPrerequisite(const std::string& path);

  // "targets: prerequisite", further prerequisites on continued lines, then
  // each prerequisite as a target without prerequisites.
  std::string Text() const;

 private:
  std::vector<std::string> targets_;
  std::vector<std::string> prerequisites_;  // in the order first read
  std::set<std::string> recorded_;
};

// Escapes one path for a make rule in the form Ninja's depfile reader also
// accepts: "$" as "$$", "#" as "\#", a space or tab preceded by a backslash.
// Backslashes right before a space or tab are doubled, since both readers
// halve such a run; before "#" they are kept as they are.
std::string EscapeMakePath(const std::string& path);

// Writes the file whole through a temporary renamed into place (a path
// naming a device is written directly). On failure reports "Error writing
// PATH: reason" with the first error of the stream and returns false.
bool WriteDependencyFile(const DependencyFile& file, const std::string& path,
                         std::ostream& err);

}  // namespace kivg
