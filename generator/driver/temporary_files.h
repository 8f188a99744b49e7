// The temporary files of a kivg run: their names, the interrupt handling
// that removes them, and the removal of those a stopped run left behind.
//
// An output's new content is written into a file beside it that has no
// name while it is written (O_TMPFILE), where the file system allows it;
// it gets a temporary name only in the short commit step, as does the old
// file kept linked until every output is in place. A temporary's name is
// the output's name + ".kivg-tmp-" + process id (+ "-" + attempt), its
// front cut so that it fits the directory's NAME_MAX whenever the output's
// name does. Whoever holds a named temporary holds a shared flock on it,
// so that a later run can tell a stale one (its maker is gone, and so is
// the lock) from one in use, whatever process ids and hosts are involved.
#pragma once

#include <signal.h>

#include <string>

namespace kivg {

// Installs, once per process, the handlers of SIGINT, SIGTERM, SIGHUP,
// SIGQUIT and SIGPIPE (which remove the registered temporaries and end the
// process as the signal would; a signal the process was started with
// ignored stays ignored), and ignores SIGXFSZ, so that a file size limit
// is a write error (EFBIG) like a full disk instead of killing the run.
void InstallSignalHandling();

// Registers a name to remove on an interrupt; returns its slot, or -1 when
// every slot is taken (the file is then only removed by the run itself).
// Call with interrupts blocked, right after the name was made.
int RegisterTemporary(int directory, const std::string& name);
// The name was renamed or removed by the run.
void ForgetTemporary(int slot);

// Holds the interrupts back while it lives, so that making and registering
// a temporary name, or putting the outputs into place, is never cut in the
// middle; a signal that arrives meanwhile is handled afterwards.
class InterruptBlock {
 public:
  InterruptBlock();
  ~InterruptBlock();
  InterruptBlock(const InterruptBlock&) = delete;
  InterruptBlock& operator=(const InterruptBlock&) = delete;

 private:
  sigset_t saved_;
};

// The name of the temporary of `base` (an output's file name), for this
// process and attempt, fitting `nameMax`.
std::string TemporaryName(const std::string& base, int attempt, long nameMax);
// Whether `name` is a temporary of `base` by the naming above, of any
// process.
bool IsTemporaryOf(const std::string& name, const std::string& base,
                   long nameMax);

// Removes the temporaries of `base` in the directory that no live process
// holds. Returns how many were removed.
int RemoveStaleTemporaries(int directory, const std::string& base,
                           long nameMax);

// Creates a named temporary of `base` in the directory (O_EXCL, never
// following a link), holds its lock and registers it; with interrupts
// blocked. Returns the descriptor (errno set and -1 on failure) and fills
// name and slot.
int CreateNamedTemporary(int directory, const std::string& base, long nameMax,
                         unsigned mode, std::string* name, int* slot);

// The largest file name the directory takes, or 255 when it cannot tell.
long NameMaxOf(int directory);

}  // namespace kivg
