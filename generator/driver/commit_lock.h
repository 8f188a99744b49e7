// The advisory lock that serialises the commit step of kivg runs writing to
// the same directories: held only while a run puts its outputs into place,
// so that of concurrent runs the last to commit has its whole set in place,
// never a mix of files from several runs. It locks the directories (a
// flock on their descriptors), which leaves no lock file behind; on a file
// system without locks the commit goes on unlocked.
#pragma once

#include <vector>

namespace kivg {

class CommitLock {
 public:
  CommitLock() = default;
  CommitLock(const CommitLock&) = delete;
  CommitLock& operator=(const CommitLock&) = delete;
  ~CommitLock();

  // A directory of the set, by a descriptor that stays open while locked.
  void Add(int directory);
  // Takes the locks, in one order for every run (device and inode), one
  // per directory however many descriptors name it. Interrupts may arrive
  // while waiting.
  void Acquire();

 private:
  std::vector<int> directories_;
  std::vector<int> held_;
};

}  // namespace kivg
