#include "generator/driver/temporary_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kivg {

namespace {

// SIGPIPE too: a progress line written into a closed pipe ends the run as
// an interrupt would. SIGQUIT comes from the terminal like SIGINT.
const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

constexpr char kMarker[] = ".kivg-tmp-";
constexpr size_t kMarkerSize = sizeof kMarker - 1;

// Four files (three outputs, the dependency file), each with at most a new
// and a kept old name at a time, and the marked dependency file's.
constexpr int kSlots = 16;
// Directory descriptors and names as C strings: the handler may only call
// async-signal-safe functions, so it reads these and calls unlinkat,
// nothing else. A slot is only changed while the interrupts are blocked.
struct Slot {
  int directory;
  char* name;
};
Slot slots[kSlots];

void RemoveTemporariesAndDie(int number) {
  for (const Slot& slot : slots) {
    if (slot.name != nullptr) unlinkat(slot.directory, slot.name, 0);
  }
  // Ends the process as the signal would have: the parent sees the signal,
  // not an exit status.
  struct sigaction fallback;
  std::memset(&fallback, 0, sizeof fallback);
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(number, &fallback, nullptr);
  raise(number);
}

sigset_t InterruptSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kInterrupts) sigaddset(&set, signal);
  return set;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

void InstallSignalHandling() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  signal(SIGXFSZ, SIG_IGN);
  for (int signal : kInterrupts) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) != 0) continue;
    if (current.sa_handler == SIG_IGN) continue;  // e.g. started by nohup
    struct sigaction cleanup;
    std::memset(&cleanup, 0, sizeof cleanup);
    cleanup.sa_handler = RemoveTemporariesAndDie;
    cleanup.sa_mask = InterruptSet();
    sigaction(signal, &cleanup, nullptr);
  }
}

int RegisterTemporary(int directory, const std::string& name) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (slots[slot].name != nullptr) continue;
    char* copy = static_cast<char*>(std::malloc(name.size() + 1));
    if (copy == nullptr) return -1;
    std::memcpy(copy, name.c_str(), name.size() + 1);
    slots[slot].directory = directory;
    slots[slot].name = copy;
    return slot;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  InterruptBlock block;
  char* name = slots[slot].name;
  slots[slot].name = nullptr;
  std::free(name);
}

InterruptBlock::InterruptBlock() {
  const sigset_t set = InterruptSet();
  sigprocmask(SIG_BLOCK, &set, &saved_);
}

InterruptBlock::~InterruptBlock() {
  sigprocmask(SIG_SETMASK, &saved_, nullptr);
}

std::string TemporaryName(const std::string& base, int attempt, long nameMax) {
  std::string suffix = kMarker + std::to_string(getpid());
  if (attempt > 0) suffix += "-" + std::to_string(attempt);
  const size_t room = nameMax > 0 ? static_cast<size_t>(nameMax) : 255;
  if (base.size() + suffix.size() <= room) return base + suffix;
  // An output name this long has its temporary's front cut instead of
  // failing with "File name too long".
  return base.substr(0, room > suffix.size() ? room - suffix.size() : 0) +
         suffix;
}

bool IsTemporaryOf(const std::string& name, const std::string& base,
                   long nameMax) {
  const size_t marker = name.rfind(kMarker);
  if (marker == std::string::npos) return false;
  const std::string tail = name.substr(marker + kMarkerSize);
  const size_t dash = tail.find('-');
  if (!AllDigits(tail.substr(0, dash)) ||
      (dash != std::string::npos && !AllDigits(tail.substr(dash + 1))))
    return false;
  const std::string front = name.substr(0, marker);
  if (front == base) return true;
  // A cut front: the name was made exactly as long as the directory takes.
  return static_cast<long>(name.size()) == nameMax &&
         front.size() < base.size() &&
         base.compare(0, front.size(), front) == 0;
}

int RemoveStaleTemporaries(int directory, const std::string& base,
                           long nameMax) {
  const int listing =
      openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return 0;
  DIR* entries = fdopendir(listing);
  if (entries == nullptr) {
    close(listing);
    return 0;
  }
  std::vector<std::string> candidates;
  while (const dirent* entry = readdir(entries)) {
    if (IsTemporaryOf(entry->d_name, base, nameMax))
      candidates.push_back(entry->d_name);
  }
  closedir(entries);

  int removed = 0;
  for (const std::string& name : candidates) {
    const int fd = openat(directory, name.c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened, named;
    // Only while holding the lock: a maker that takes its lock meanwhile
    // waits, then finds its file unlinked and makes another.
    if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        fstatat(directory, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
        unlinkat(directory, name.c_str(), 0) == 0)
      ++removed;
    close(fd);
  }
  return removed;
}

int CreateNamedTemporary(int directory, const std::string& base, long nameMax,
                         unsigned mode, std::string* name, int* slot) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = TemporaryName(base, attempt, nameMax);
    const int fd =
        openat(directory, candidate.c_str(),
               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0 && errno == EEXIST) continue;  // a stray one, or in use
    if (fd < 0) return -1;
    struct stat status;
    if (flock(fd, LOCK_SH) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
      const int error = errno;
      close(fd);
      unlinkat(directory, candidate.c_str(), 0);
      errno = error;
      return -1;
    }
    if (fstat(fd, &status) == 0 && status.st_nlink == 0) {
      close(fd);  // taken for stale before its lock was held: another name
      continue;
    }
    *name = candidate;
    *slot = RegisterTemporary(directory, candidate);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

long NameMaxOf(int directory) {
  const long max = fpathconf(directory, _PC_NAME_MAX);
  return max > 0 ? max : 255;
}

}  // namespace kivg
