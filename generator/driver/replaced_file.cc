#include "generator/driver/replaced_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "generator/driver/temporary_files.h"

namespace kivg {

namespace {

// Opens what cannot be replaced by a rename. O_NONBLOCK keeps the open of
// a FIFO without a reader from hanging (it fails with ENXIO instead); the
// writes themselves block as usual.
int OpenDirectly(const std::string& path) {
  const int fd =
      open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

bool ReadChunk(int fd, char* data, size_t size, size_t* got) {
  *got = 0;
  while (*got < size) {
    const ssize_t count = read(fd, data + *got, size - *got);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) break;
    *got += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

ReplacedFile::~ReplacedFile() { Discard(); }

int ReplacedFile::Open(const std::string& path) {
  path_ = path;
  struct stat status;
  if (stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) return EISDIR;
    struct stat link;
    const bool isLink =
        lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (!S_ISREG(status.st_mode) && !isLink) {
      const int fd = OpenDirectly(path);
      if (fd < 0) return errno;
      buffer_.Attach(fd);
      opened_ = true;
      return 0;
    }
    if (!isLink) keptMode_ = status.st_mode & 0777;
  }

  InstallTemporaryCleanup();
  InterruptBlock block;
  const std::string base = path + ".kivg-tmp-" + std::to_string(getpid());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        attempt == 0 ? base : base + "-" + std::to_string(attempt);
    const int fd =
        open(candidate.c_str(),
             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;  // a stray one of an old run
    if (fd < 0) return errno;
    if (keptMode_ != 0) fchmod(fd, keptMode_);
    temporary_ = std::move(candidate);
    slot_ = RegisterTemporary(temporary_);
    buffer_.Attach(fd);
    opened_ = true;
    return 0;
  }
  return EEXIST;
}

int ReplacedFile::Close() {
  if (!opened_ || closed_) return buffer_.error();
  closed_ = true;
  stream_.flush();
  return buffer_.Close();
}

bool ReplacedFile::SameContentAsTarget() const {
  struct stat target, written;
  if (lstat(path_.c_str(), &target) != 0 || !S_ISREG(target.st_mode))
    return false;
  if (stat(temporary_.c_str(), &written) != 0 ||
      written.st_size != target.st_size)
    return false;
  const int a = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  const int b = open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
  bool same = a >= 0 && b >= 0;
  std::vector<char> left(1 << 16), right(1 << 16);
  while (same) {
    size_t gotLeft = 0, gotRight = 0;
    if (!ReadChunk(a, left.data(), left.size(), &gotLeft) ||
        !ReadChunk(b, right.data(), right.size(), &gotRight) ||
        gotLeft != gotRight ||
        !std::equal(left.begin(), left.begin() + gotLeft, right.begin())) {
      same = false;
    } else if (gotLeft == 0) {
      break;
    }
  }
  if (a >= 0) close(a);
  if (b >= 0) close(b);
  return same;
}

int ReplacedFile::Commit() {
  if (temporary_.empty()) return 0;
  if (SameContentAsTarget()) {
    unlink(temporary_.c_str());
  } else if (rename(temporary_.c_str(), path_.c_str()) != 0) {
    return errno;
  }
  ForgetTemporary(slot_);
  slot_ = -1;
  temporary_.clear();
  return 0;
}

void ReplacedFile::Discard() {
  if (opened_ && !closed_) {
    closed_ = true;
    buffer_.Close();
  }
  if (temporary_.empty()) return;
  unlink(temporary_.c_str());
  ForgetTemporary(slot_);
  slot_ = -1;
  temporary_.clear();
}

void ReplacedFile::RemoveTarget() {
  struct stat status;
  if (lstat(path_.c_str(), &status) == 0 && S_ISREG(status.st_mode))
    unlink(path_.c_str());
}

}  // namespace kivg
