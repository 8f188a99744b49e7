// One file that kivg writes, put into place only when the whole run has
// succeeded. What the path names decides how:
//
// - nothing, a regular file, or a symbolic link to anything but a stream
//   (a regular file, a directory, a block device, nothing): the content
//   goes to a temporary beside the path, renamed over it at the commit, so
//   that a failed run never leaves a truncated file that looks up to date
//   and a link is replaced, never written through. New content equal to
//   the file there leaves that file untouched, time stamp included.
// - a character device, FIFO or socket, also through links, and any of the
//   process's own descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N):
//   written directly, never replaced.
// - a regular file in a directory where no temporary can be made: written
//   in place, as a create-and-truncate would, once the caller has marked
//   the set as being rewritten (StartInPlace).
// - a directory: EISDIR.
//
// Every operation works relative to the directory's descriptor, so a path
// near PATH_MAX works as long as the path itself does.
#pragma once

#include <ostream>
#include <string>

#include "cli/descriptor_buffer.h"

namespace kivg {

class ReplacedFile {
 public:
  enum class Mode { kClosed, kReplaced, kDirect, kInPlace };

  ReplacedFile() : stream_(&buffer_) {}
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;
  ~ReplacedFile();

  // Opens the file's directory, removes stale temporaries of the path and
  // creates the temporary (or opens the stream). Returns 0 or the errno of
  // the failure.
  int Open(const std::string& path);
  // Names the path before Open, so that RemoveTarget reaches it even when
  // the run fails before this output is opened.
  void SetPath(const std::string& path) { path_ = path; }
  std::ostream& stream() { return stream_; }
  const std::string& path() const { return path_; }
  Mode mode() const { return mode_; }
  // The directory's descriptor, for the commit lock; -1 before Open.
  int directory() const { return directory_; }

  // An in-place file: truncates it, after which the old content is gone.
  int StartInPlace();
  // Writes out what is buffered; for a direct or in-place file also closes
  // it. The first error of the whole stream, or 0.
  int Close();

  // Gives the closed file an old time stamp (one second after the epoch),
  // so that a build tool taking it for its rule's output finds it older
  // than every input. Before Stage, so that it is never in place younger.
  int Backdate();

  // The commit, in three steps, for a closed replaced file:
  // Whether the file at the path differs from the new content.
  bool Changed();
  // Gives the temporary its name beside the path and links the old file
  // under a second temporary name, so that the rename frees no blocks and
  // is quick. Call with interrupts blocked. Returns 0 or the errno.
  int Stage();
  // Renames the temporary over the path; where the path cannot be renamed
  // over (a bind mount, a file in a sticky directory), copies the content
  // into it instead. Call with interrupts blocked. Returns 0 or the errno.
  int Replace();
  // Removes the old file kept under its temporary name. Interrupts may
  // arrive meanwhile: they remove it too.
  void Finish();

  // Closes (ignoring failures) and removes any temporary name.
  void Discard();
  // Removes the file at the path when it is a regular file, so that a
  // failed run leaves no output that looks up to date. A device, FIFO,
  // directory or symbolic link there is left alone.
  void RemoveTarget();

 private:
  int OpenTemporary();
  int CopyInPlace();
  void DropName(std::string* name, int* slot);

  std::string path_;
  std::string base_;    // the path's file name
  int directory_ = -1;  // of the path
  long nameMax_ = 255;  // of the directory
  Mode mode_ = Mode::kClosed;
  bool closed_ = false;
  bool unnamed_ = false;   // an O_TMPFILE not yet linked
  int fd_ = -1;            // of the temporary while the commit needs it
  int inPlace_ = -1;       // the stream's own descriptor in place, not owned
  std::string temporary_;  // its name, once it has one
  int temporarySlot_ = -1;
  std::string kept_;  // the old file's second name during the commit
  int keptSlot_ = -1;
  int keptFd_ = -1;        // holds the kept name's lock
  unsigned keptMode_ = 0;  // permissions of the file being replaced
  int changed_ = -1;       // Changed(), once known
  cli::DescriptorBuffer buffer_;
  std::ostream stream_;
};

// The descriptor of this process that `path` names, through /dev/fd,
// /proc/self/fd, /proc/PID/fd or links leading there, else -1.
int OwnDescriptorNamedBy(const std::string& path);

}  // namespace kivg
