#include "generator/driver/commit_lock.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace kivg {

CommitLock::~CommitLock() {
  for (int directory : held_) flock(directory, LOCK_UN);
}

void CommitLock::Add(int directory) {
  if (directory >= 0) directories_.push_back(directory);
}

void CommitLock::Acquire() {
  std::vector<std::pair<std::pair<dev_t, ino_t>, int>> order;
  for (int directory : directories_) {
    struct stat status;
    if (fstat(directory, &status) == 0)
      order.push_back({{status.st_dev, status.st_ino}, directory});
  }
  std::sort(order.begin(), order.end());
  for (size_t i = 0; i < order.size(); ++i) {
    // A second description of the same directory would wait for the first.
    if (i > 0 && order[i].first == order[i - 1].first) continue;
    int result;
    do {
      result = flock(order[i].second, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result == 0) held_.push_back(order[i].second);
  }
}

}  // namespace kivg
