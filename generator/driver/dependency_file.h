// The make-style dependency file that kivg writes when KIV_SPEC_DEPFILE names
// one: the three outputs as targets and every source file the run read as
// prerequisites, so that a build tool (make, Ninja, CMake's DEPFILE) runs kivg
// again when the spec or anything it includes or imports changes.
//
// One file serves make and Ninja, so a path is written only in a spelling
// both read back as that path; a path with no such spelling makes the file
// one that has every build run kivg again (see RerunText), never one that
// breaks the build or misses an edit.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kivg {

class DependencyFile {
 public:
  // Targets are written as given: a build tool matches them by their text
  // against the outputs it asked for.
  explicit DependencyFile(std::vector<std::string> targets);

  // Records a file the run read, by the path it was opened under once every
  // link is resolved (an edit of that file is what must rerun kivg). A
  // relative path is made absolute against the current directory, because
  // the build tool may read the rule from another directory than the one
  // kivg ran in; a file recorded twice is listed once.
  void AddPrerequisite(const std::string& path);

  // "targets: prerequisite", further prerequisites on continued lines, then
  // each prerequisite as a target without prerequisites. When a path cannot
  // be spelled, RerunText() instead.
  std::string Text() const;
  // The first path that cannot be spelled for make and Ninja, if any.
  std::optional<std::string> Unspellable() const;
  // The targets (those that can be spelled) with one prerequisite that
  // never exists, /dev/null/kivg-rerun, and its own empty rule: make and
  // Ninja take the targets as out of date on every build.
  std::string RerunText() const;

 private:
  std::vector<std::string> targets_;
  std::vector<std::string> prerequisites_;  // in the order first read
  std::set<std::string> recorded_;
};

// The spelling of one path that GNU make and Ninja's depfile reader both
// read back as exactly that path: "$" as "$$", a space, "#" or ":" after a
// backslash, a run of backslashes before a space doubled. None for a path
// holding a control byte, a tab, one of ; | = * ? " ' ^ & < > ` (make
// splits, assigns or globs at them, or Ninja ends a path there), a "[" with
// a "]" after it (a make glob), a "~" in front, a backslash before "#",
// ":" or "$" or at the end, a trailing ":", or "(" with a trailing ")" (a
// make archive member).
std::optional<std::string> SpellDependencyPath(const std::string& path);

}  // namespace kivg
