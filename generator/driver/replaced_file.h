// One file that kivg writes, put into place only when the whole run has
// succeeded. The content goes to a temporary next to the file (its name is
// the file's path + ".kivg-tmp-" + process id), which is renamed over the
// path at the end, so an interrupted or failed run never leaves a truncated
// file that looks up to date, and a renamed path never writes through a
// symbolic link into its target. New content equal to the file already
// there leaves that file untouched, time stamp included. A path naming a
// device or FIFO is written directly: it cannot be replaced.
#pragma once

#include <ostream>
#include <string>

#include "cli/descriptor_buffer.h"

namespace kivg {

class ReplacedFile {
 public:
  ReplacedFile() : stream_(&buffer_) {}
  ReplacedFile(const ReplacedFile&) = delete;
  ReplacedFile& operator=(const ReplacedFile&) = delete;
  ~ReplacedFile();

  // Creates the temporary (or opens the device). Returns 0 or the errno of
  // the failure; a directory at the path is EISDIR.
  int Open(const std::string& path);
  // Names the path before Open, so that RemoveTarget reaches it even when
  // the run fails before this output is opened.
  void SetPath(const std::string& path) { path_ = path; }
  std::ostream& stream() { return stream_; }
  const std::string& path() const { return path_; }

  // Writes out and closes; the first error of the whole stream, or 0.
  int Close();
  // Renames the closed temporary into place, or removes it when the file at
  // the path already holds the same bytes. Returns 0 or the errno.
  int Commit();
  // Closes (ignoring failures) and removes the temporary.
  void Discard();
  // Removes the file at the path when it is a regular file, so that a
  // failed run leaves no output that looks up to date. A device, FIFO,
  // directory or symbolic link there is left alone.
  void RemoveTarget();

 private:
  bool SameContentAsTarget() const;

  std::string path_;
  std::string temporary_;  // empty when written directly
  int slot_ = -1;          // of the temporary in the interrupt cleanup
  unsigned keptMode_ = 0;  // permissions of the file being replaced
  bool opened_ = false;
  bool closed_ = false;
  cli::DescriptorBuffer buffer_;
  std::ostream stream_;
};

}  // namespace kivg
