#include "generator/driver/output_set.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "generator/driver/commit_lock.h"
#include "generator/driver/file_error.h"
#include "generator/driver/shown_text.h"
#include "generator/driver/temporary_files.h"

namespace kivg {

bool CheckDistinctFiles(const std::string& source,
                        const std::vector<std::string>& paths,
                        std::vector<FileKey>* keys, std::ostream& err) {
  std::vector<FileKey> seen = {KeyOfPath(source)};
  for (const std::string& path : paths) {
    FileKey key = KeyOfPath(path);
    for (const FileKey& earlier : seen) {
      if (SameFile(key, earlier)) {
        err << FileErrorLine(FileAccess::kCreating, path,
                             "Same file as " + earlier.path);
        return false;
      }
    }
    seen.push_back(std::move(key));
  }
  keys->assign(seen.begin() + 1, seen.end());
  return true;
}

OutputSet::~OutputSet() {
  if (depfileDirectory_ >= 0) close(depfileDirectory_);
}

bool OutputSet::Create(const OutputNames& names, const std::string& source,
                       const std::string& depfile, std::ostream& err) {
  std::vector<std::string> paths = {names.specPath, names.headerPath,
                                    names.sourcePath};
  targets_ = paths;
  if (!depfile.empty()) paths.push_back(depfile);
  if (!CheckDistinctFiles(source, paths, &keys_, err)) return false;
  InstallSignalHandling();
  depfile_ = depfile;
  if (!depfile.empty()) {
    const size_t slash = depfile.rfind('/');
    const std::string directory = slash == std::string::npos ? "."
                                  : slash == 0               ? "/"
                                               : depfile.substr(0, slash);
    depfileDirectory_ =
        open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  for (int i = 0; i < kCount; ++i) files_[i].SetPath(paths[i]);
  bool inPlace = false;
  for (int i = 0; i < kCount; ++i) {
    const int error = files_[i].Open(paths[i]);
    if (error != 0) {
      err << FileErrorLine(FileAccess::kCreating, paths[i],
                           std::strerror(error));
      Remove();
      return false;
    }
    inPlace = inPlace || files_[i].mode() == ReplacedFile::Mode::kInPlace;
  }
  if (!inPlace) return true;
  // An output written in place holds partial content from now on: the
  // dependency file says so before the first byte goes.
  if (!depfile_.empty()) {
    InterruptBlock block;
    if (!WriteDependencyText(DependencyFile(targets_).RerunText(), true, err)) {
      Discard();
      return false;
    }
  }
  for (ReplacedFile& file : files_) {
    const int error = file.StartInPlace();
    if (error != 0) {
      err << FileErrorLine(FileAccess::kCreating, file.path(),
                           std::strerror(error));
      Remove();
      return false;
    }
  }
  return true;
}

bool OutputSet::Close(std::ostream& err) {
  bool closed = true;
  for (ReplacedFile& output : files_) {
    const int error = output.Close();
    if (error == 0) continue;
    closed = false;
    err << FileErrorLine(FileAccess::kWriting, output.path(),
                         std::strerror(error));
  }
  return closed;
}

bool OutputSet::WriteDependencyText(const std::string& text, bool mark,
                                    std::ostream& err) {
  ReplacedFile file;
  int error = file.Open(depfile_);
  if (error == 0 && mark && file.mode() == ReplacedFile::Mode::kDirect) {
    file.Discard();
    return true;
  }
  if (error == 0) error = file.StartInPlace();
  if (error == 0) {
    file.stream() << text;
    error = file.Close();
  }
  if (error == 0 && mark) error = file.Backdate();
  if (error == 0 && file.mode() == ReplacedFile::Mode::kReplaced &&
      file.Changed()) {
    error = file.Stage();
    if (error == 0) error = file.Replace();
  }
  file.Finish();
  if (error == 0) {
    marked_ = mark;
    return true;
  }
  // Only the temporary is removed: a device or FIFO named as the dependency
  // file stays, and an earlier regular file there is left as it was.
  file.Discard();
  err << FileErrorLine(FileAccess::kWriting, depfile_, std::strerror(error));
  return false;
}

bool OutputSet::Commit(const DependencyFile& dependencies, std::ostream& err) {
  const bool hasDepfile = !depfile_.empty();
  std::string text;
  if (hasDepfile) {
    text = dependencies.Text();
    if (const std::optional<std::string> path = dependencies.Unspellable())
      err << "Warning: " << depfile_ << " cannot name " << ShownText(*path)
          << " for make and Ninja: every build runs kivg again\n";
  }
  CommitLock lock;
  for (ReplacedFile& file : files_) lock.Add(file.directory());
  lock.Add(depfileDirectory_);
  lock.Acquire();

  // Comparing with the files in place reads them whole: done before the
  // interrupts are held off, under the lock, which keeps them as they are.
  bool changes = false;
  for (ReplacedFile& file : files_) {
    if (file.mode() == ReplacedFile::Mode::kInPlace ||
        (file.mode() == ReplacedFile::Mode::kReplaced && file.Changed()))
      changes = true;
  }
  bool committed = true;
  {
    InterruptBlock block;
    if (hasDepfile && changes && !marked_ &&
        !WriteDependencyText(DependencyFile(targets_).RerunText(), true, err)) {
      Discard();
      return false;
    }
    for (ReplacedFile& file : files_) {
      if (file.mode() != ReplacedFile::Mode::kReplaced || !file.Changed())
        continue;
      const int error = file.Stage();
      if (error != 0) {
        err << FileErrorLine(FileAccess::kWriting, file.path(),
                             std::strerror(error));
        Discard();
        return false;
      }
    }
    // From the first rename to the last the set is mixed; the mark (or,
    // without a dependency file, the brevity of three renames of files
    // whose old blocks stay linked) covers that window.
    for (ReplacedFile& file : files_) {
      if (file.mode() != ReplacedFile::Mode::kReplaced || !file.Changed())
        continue;
      const int error = file.Replace();
      if (error == 0) continue;
      // What is left at this path belongs to no set: it goes, so that the
      // set is incomplete and a build makes it again. The outputs already
      // in place stay.
      err << FileErrorLine(FileAccess::kWriting, file.path(),
                           std::strerror(error));
      file.RemoveTarget();
      committed = false;
    }
    if (committed && hasDepfile)
      committed = WriteDependencyText(text, false, err);
  }
  for (ReplacedFile& file : files_) file.Finish();
  return committed;
}

void OutputSet::Discard() {
  for (ReplacedFile& output : files_) output.Discard();
}

void OutputSet::Remove() {
  for (ReplacedFile& output : files_) {
    output.Discard();
    output.RemoveTarget();
  }
}

}  // namespace kivg
