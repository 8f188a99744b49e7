// The temporary files a kivg run writes its outputs into before renaming them
// into place. An interrupt (SIGINT, SIGTERM, SIGHUP, and SIGPIPE from a
// closed standard output) removes them and then ends the process as the
// signal would, so the previous outputs stay as they were and no
// half-written file is left behind.
#pragma once

#include <signal.h>

#include <string>

namespace kivg {

// Installs the interrupt handlers, once per process. A signal the process
// was started with ignored stays ignored.
void InstallTemporaryCleanup();

// Registers a path to remove on an interrupt; returns its slot, or -1 when
// every slot is taken (the file is then only removed by the run itself).
// Call with interrupts blocked, right after the file was created.
int RegisterTemporary(const std::string& path);
// The file was renamed or removed by the run.
void ForgetTemporary(int slot);

// Holds the interrupts back while it lives, so that creating and
// registering a temporary, or renaming the outputs into place, is never cut
// in the middle; a signal that arrives meanwhile is handled afterwards.
class InterruptBlock {
 public:
  InterruptBlock();
  ~InterruptBlock();
  InterruptBlock(const InterruptBlock&) = delete;
  InterruptBlock& operator=(const InterruptBlock&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace kivg
