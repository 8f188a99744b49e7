#include "standalone/interrupt.h"

#include <sys/select.h>

#include <csignal>
#include <ctime>

#include "standalone/process_clock.h"

namespace kivs {

volatile std::sig_atomic_t interrupted = 0;

namespace {

void OnInterrupt(int) { interrupted = 1; }

}  // namespace

void InstallInterruptHandler() {
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) == 0 &&
      !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN)
    return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
}

void WaitUntil(int64_t wakeTime) {
  // SIGINT stays blocked except inside pselect, which unblocks it atomically
  // with the wait: an interrupt arriving between the flag test and the wait
  // ends the wait at once instead of being noticed only at wakeTime.
  sigset_t blocked;
  sigset_t previous;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGINT);
  sigprocmask(SIG_BLOCK, &blocked, &previous);
  while (!interrupted) {
    const int64_t remaining = wakeTime - ProcessMilliseconds();
    if (remaining <= 0) break;
    timespec pause{};
    pause.tv_sec = static_cast<time_t>(remaining / 1000);
    pause.tv_nsec = static_cast<long>(remaining % 1000) * 1000000L;
    pselect(0, nullptr, nullptr, nullptr, &pause, &previous);
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace kivs
