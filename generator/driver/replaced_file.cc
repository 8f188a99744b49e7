#include "generator/driver/replaced_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <deque>
#include <vector>

#include "generator/driver/temporary_files.h"

namespace kivg {

namespace {

bool IsStream(mode_t mode) {
  return S_ISCHR(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// Opens what cannot be replaced by a rename. O_NONBLOCK keeps the open of
// a FIFO without a reader from hanging (it fails with ENXIO instead); the
// writes themselves block as usual.
int OpenDirectly(int directory, const std::string& name) {
  const int fd = openat(directory, name.c_str(),
                        O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

// An unnamed file can only be given a name through /proc (or with a
// privilege): without it, temporaries are named from the start.
bool CanNameUnnamedFiles() {
  static const bool can = access("/proc/self/fd", X_OK) == 0;
  return can;
}

bool ReadAt(int fd, char* data, size_t size, off_t offset, size_t* got) {
  *got = 0;
  while (*got < size) {
    const ssize_t count =
        pread(fd, data + *got, size - *got, offset + static_cast<off_t>(*got));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) break;
    *got += static_cast<size_t>(count);
  }
  return true;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t count = write(fd, data, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      if (count == 0) errno = EIO;
      return false;
    }
    data += count;
    size -= static_cast<size_t>(count);
  }
  return true;
}

// The descriptor number when `path` is one of this process's descriptor
// links, else -1.
int DescriptorOfLink(const std::string& path) {
  // The spellings that name this process without its number are taken by
  // their text too, so that they are never replaced even where /proc is
  // missing and the links lead nowhere.
  std::string rest;
  bool proc = true;
  const std::string own = "/proc/" + std::to_string(getpid()) + "/";
  for (const std::string& self :
       {std::string("/proc/self/"), std::string("/proc/thread-self/"), own,
        std::string("/dev/")}) {
    if (path.compare(0, self.size(), self) == 0) {
      rest = path.substr(self.size());
      proc = self != "/dev/";
      break;
    }
  }
  if (proc && rest.compare(0, 5, "task/") == 0) {
    const size_t slash = rest.find('/', 5);
    if (slash == std::string::npos) return -1;
    rest = rest.substr(slash + 1);
  }
  if (rest.compare(0, 3, "fd/") != 0 || rest.size() == 3) return -1;
  int number = 0;
  for (size_t i = 3; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9' || number > INT_MAX / 10 - 1) return -1;
    number = number * 10 + (rest[i] - '0');
  }
  return number;
}

}  // namespace

int OwnDescriptorNamedBy(const std::string& path) {
  // Resolved one component at a time, so that ".." after a link goes where
  // the link leads, as the kernel takes it.
  std::deque<std::string> pending;
  auto push = [&pending](const std::string& text, bool front) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
      const size_t slash = text.find('/', start);
      const size_t end = slash == std::string::npos ? text.size() : slash;
      if (end > start) parts.push_back(text.substr(start, end - start));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    if (front)
      pending.insert(pending.begin(), parts.begin(), parts.end());
    else
      pending.insert(pending.end(), parts.begin(), parts.end());
  };
  std::string done;
  if (path.empty() || path[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return -1;
    push(cwd, false);
  }
  push(path, false);
  for (int links = 0; !pending.empty();) {
    const std::string part = pending.front();
    pending.pop_front();
    if (part == ".") continue;
    if (part == "..") {
      done = done.substr(0, done.rfind('/'));
      continue;
    }
    const std::string candidate = done + "/" + part;
    // A descriptor's link is taken before it is followed: what it leads to
    // (a pipe, a deleted file) has no path of its own.
    std::string whole = candidate;
    for (const std::string& next : pending) whole += "/" + next;
    const int number = DescriptorOfLink(whole);
    if (number >= 0) return number;
    struct stat status;
    if (lstat(candidate.c_str(), &status) != 0) return -1;
    if (!S_ISLNK(status.st_mode)) {
      done = candidate;
      continue;
    }
    if (++links > 40) return -1;
    char target[PATH_MAX];
    const ssize_t size = readlink(candidate.c_str(), target, sizeof target);
    if (size <= 0 || size == static_cast<ssize_t>(sizeof target)) return -1;
    const std::string text(target, static_cast<size_t>(size));
    if (text[0] == '/') done.clear();
    push(text, true);
  }
  return -1;
}

ReplacedFile::~ReplacedFile() {
  Discard();
  if (directory_ >= 0) close(directory_);
}

int ReplacedFile::Open(const std::string& path) {
  InstallSignalHandling();
  path_ = path;
  const size_t slash = path.rfind('/');
  base_ = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string directory = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                             : path.substr(0, slash);
  if (base_.empty()) return EISDIR;

  const int own = OwnDescriptorNamedBy(path);
  if (own >= 0) {
    const int fd = fcntl(own, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) return errno;
    buffer_.Attach(fd);
    mode_ = Mode::kDirect;
    return 0;
  }
  directory_ = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory_ < 0) return errno;
  nameMax_ = NameMaxOf(directory_);

  struct stat status;
  const bool exists =
      fstatat(directory_, base_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
  const bool regular = exists && S_ISREG(status.st_mode);
  bool direct = false;
  if (exists && S_ISLNK(status.st_mode)) {
    struct stat target;
    direct = fstatat(directory_, base_.c_str(), &target, 0) == 0 &&
             IsStream(target.st_mode);
  } else if (exists && S_ISDIR(status.st_mode)) {
    return EISDIR;
  } else if (exists && !regular) {
    direct = true;  // a device, FIFO or socket at the path itself
  }
  if (direct) {
    const int fd = OpenDirectly(directory_, base_);
    if (fd < 0) return errno;
    buffer_.Attach(fd);
    mode_ = Mode::kDirect;
    return 0;
  }
  if (regular) keptMode_ = status.st_mode & 07777;

  RemoveStaleTemporaries(directory_, base_, nameMax_);
  const int error = OpenTemporary();
  if (error == 0) {
    mode_ = Mode::kReplaced;
    return 0;
  }
  // No temporary beside it because the directory may not be written: a
  // writable regular file there is written in place, as the plain
  // create-and-truncate would. A full disk is no reason to give up the old
  // content.
  if (!regular || (error != EACCES && error != EPERM)) return error;
  const int fd = openat(directory_, base_.c_str(),
                        O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat opened;
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    close(fd);
    return error;
  }
  buffer_.Attach(fd);
  inPlace_ = fd;
  mode_ = Mode::kInPlace;
  return 0;
}

int ReplacedFile::OpenTemporary() {
  int fd = -1;
#ifdef O_TMPFILE
  if (CanNameUnnamedFiles()) {
    fd = openat(directory_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
      flock(fd, LOCK_SH);
      unnamed_ = true;
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL &&
               errno != ENOENT) {
      return errno;  // the named one would fail alike
    }
  }
#endif
  if (fd < 0) {
    InterruptBlock block;
    fd = CreateNamedTemporary(directory_, base_, nameMax_, 0666, &temporary_,
                              &temporarySlot_);
    if (fd < 0) return errno;
  }
  if (keptMode_ != 0) fchmod(fd, keptMode_);
  // The stream writes through a second descriptor, whose close reports what
  // a file system only reports on close; this one keeps the file and its
  // lock for the commit.
  const int writer = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  if (writer < 0) {
    const int failure = errno;
    close(fd);
    DropName(&temporary_, &temporarySlot_);
    return failure;
  }
  fd_ = fd;
  buffer_.Attach(writer);
  return 0;
}

int ReplacedFile::StartInPlace() {
  if (mode_ != Mode::kInPlace) return 0;
  return ftruncate(inPlace_, 0) == 0 ? 0 : errno;
}

int ReplacedFile::Close() {
  if (mode_ == Mode::kClosed || closed_) return buffer_.error();
  closed_ = true;
  stream_.flush();
  return buffer_.Close();
}

int ReplacedFile::Backdate() {
  const struct timespec old[2] = {{1, 0}, {1, 0}};
  if (mode_ == Mode::kReplaced) return futimens(fd_, old) == 0 ? 0 : errno;
  if (mode_ == Mode::kInPlace)
    return utimensat(directory_, base_.c_str(), old, AT_SYMLINK_NOFOLLOW) == 0
               ? 0
               : errno;
  return 0;
}

bool ReplacedFile::Changed() {
  if (changed_ >= 0) return changed_ != 0;
  changed_ = 1;
  const int target = openat(directory_, base_.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (target < 0) return true;
  struct stat old, written;
  bool same = fstat(target, &old) == 0 && S_ISREG(old.st_mode) &&
              fstat(fd_, &written) == 0 && written.st_size == old.st_size;
  std::vector<char> left(1 << 16), right(1 << 16);
  for (off_t offset = 0; same;) {
    size_t gotLeft = 0, gotRight = 0;
    if (!ReadAt(target, left.data(), left.size(), offset, &gotLeft) ||
        !ReadAt(fd_, right.data(), right.size(), offset, &gotRight) ||
        gotLeft != gotRight ||
        !std::equal(left.begin(), left.begin() + gotLeft, right.begin())) {
      same = false;
    } else if (gotLeft == 0) {
      break;
    }
    offset += static_cast<off_t>(gotLeft);
  }
  close(target);
  changed_ = same ? 0 : 1;
  return !same;
}

int ReplacedFile::Stage() {
  if (unnamed_) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100 && unnamed_; ++attempt) {
      const std::string name = TemporaryName(base_, attempt, nameMax_);
      if (linkat(AT_FDCWD, self.c_str(), directory_, name.c_str(),
                 AT_SYMLINK_FOLLOW) != 0 &&
          (errno == EEXIST ||
           linkat(fd_, "", directory_, name.c_str(), AT_EMPTY_PATH) != 0)) {
        if (errno == EEXIST) continue;
        return errno;
      }
      temporary_ = name;
      temporarySlot_ = RegisterTemporary(directory_, name);
      unnamed_ = false;
    }
    if (unnamed_) return EEXIST;
  }
  // The old file stays linked under a temporary name until every output is
  // in place: renaming over its last name would free its blocks inside the
  // rename, which takes tens of milliseconds for a large file. Without it
  // (a file this run cannot read, another mount) the rename is only slower.
  const int old = openat(directory_, base_.c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (old < 0) return 0;
  struct stat opened;
  if (fstat(old, &opened) == 0 && S_ISREG(opened.st_mode) &&
      flock(old, LOCK_SH) == 0) {
    // From attempt 1: attempt 0 is the new content's name.
    for (int attempt = 1; attempt < 100; ++attempt) {
      const std::string name = TemporaryName(base_, attempt, nameMax_);
      if (linkat(directory_, base_.c_str(), directory_, name.c_str(), 0) != 0) {
        if (errno == EEXIST) continue;
        break;
      }
      struct stat linked;
      if (fstatat(directory_, name.c_str(), &linked, AT_SYMLINK_NOFOLLOW) !=
              0 ||
          linked.st_ino != opened.st_ino || linked.st_dev != opened.st_dev) {
        unlinkat(directory_, name.c_str(), 0);  // replaced meanwhile
        break;
      }
      kept_ = name;
      keptSlot_ = RegisterTemporary(directory_, name);
      keptFd_ = old;
      return 0;
    }
  }
  close(old);
  return 0;
}

int ReplacedFile::Replace() {
  if (renameat(directory_, temporary_.c_str(), directory_, base_.c_str()) ==
      0) {
    ForgetTemporary(temporarySlot_);
    temporarySlot_ = -1;
    temporary_.clear();
    return 0;
  }
  // A bind mount at the path (EBUSY), a file of another user in a sticky
  // directory (EPERM): the name cannot be replaced, its content can.
  if (errno != EBUSY && errno != EPERM && errno != EXDEV) return errno;
  const int error = CopyInPlace();
  if (error == 0) DropName(&temporary_, &temporarySlot_);
  return error;
}

int ReplacedFile::CopyInPlace() {
  const int target = openat(
      directory_, base_.c_str(),
      O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (target < 0) return errno;
  std::vector<char> block(1 << 16);
  int error = 0;
  for (off_t offset = 0;;) {
    size_t got = 0;
    if (!ReadAt(fd_, block.data(), block.size(), offset, &got)) {
      error = errno;
      break;
    }
    if (got == 0) break;
    if (!WriteAll(target, block.data(), got)) {
      error = errno;
      break;
    }
    offset += static_cast<off_t>(got);
  }
  if (close(target) != 0 && error == 0 && errno != EINTR) error = errno;
  return error;
}

void ReplacedFile::Finish() {
  DropName(&kept_, &keptSlot_);
  if (keptFd_ >= 0) close(keptFd_);
  keptFd_ = -1;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void ReplacedFile::DropName(std::string* name, int* slot) {
  if (name->empty()) return;
  unlinkat(directory_, name->c_str(), 0);
  ForgetTemporary(*slot);
  *slot = -1;
  name->clear();
}

void ReplacedFile::Discard() {
  if (mode_ != Mode::kClosed && !closed_) {
    closed_ = true;
    buffer_.Close();
  }
  DropName(&temporary_, &temporarySlot_);
  Finish();
}

void ReplacedFile::RemoveTarget() {
  struct stat status;
  if (directory_ >= 0) {
    if (fstatat(directory_, base_.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode))
      unlinkat(directory_, base_.c_str(), 0);
    return;
  }
  if (lstat(path_.c_str(), &status) == 0 && S_ISREG(status.st_mode))
    unlink(path_.c_str());
}

}  // namespace kivg
