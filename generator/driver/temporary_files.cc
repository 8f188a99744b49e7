#include "generator/driver/temporary_files.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace kivg {

namespace {

// SIGPIPE too: a progress line written into a closed pipe ends the run as
// an interrupt would.
const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// A run has at most four temporaries (three outputs, the dependency file).
constexpr int kSlots = 8;
// Paths as C strings: the handler may only call async-signal-safe functions,
// so it reads these and calls unlink, nothing else. A slot is only changed
// while the interrupts are blocked.
char* slots[kSlots];

void RemoveTemporariesAndDie(int number) {
  for (char* path : slots) {
    if (path != nullptr) unlink(path);
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

}  // namespace

void InstallTemporaryCleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
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

int RegisterTemporary(const std::string& path) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (slots[slot] != nullptr) continue;
    slots[slot] = static_cast<char*>(std::malloc(path.size() + 1));
    if (slots[slot] == nullptr) return -1;
    std::memcpy(slots[slot], path.c_str(), path.size() + 1);
    return slot;
  }
  return -1;
}

void ForgetTemporary(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  InterruptBlock block;
  char* path = slots[slot];
  slots[slot] = nullptr;
  std::free(path);
}

InterruptBlock::InterruptBlock() {
  const sigset_t set = InterruptSet();
  sigprocmask(SIG_BLOCK, &set, &saved_);
}

InterruptBlock::~InterruptBlock() {
  sigprocmask(SIG_SETMASK, &saved_, nullptr);
}

}  // namespace kivg
