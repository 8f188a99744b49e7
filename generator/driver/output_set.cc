#include "generator/driver/output_set.h"

#include <cstring>

#include "generator/driver/file_error.h"
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

bool OutputSet::Create(const OutputNames& names, const std::string& source,
                       const std::string& depfile, std::ostream& err) {
  std::vector<std::string> paths = {names.specPath, names.headerPath,
                                    names.sourcePath};
  if (!depfile.empty()) paths.push_back(depfile);
  if (!CheckDistinctFiles(source, paths, &keys_, err)) return false;
  for (int i = 0; i < kCount; ++i) files_[i].SetPath(paths[i]);
  for (int i = 0; i < kCount; ++i) {
    const int error = files_[i].Open(paths[i]);
    if (error != 0) {
      err << FileErrorLine(FileAccess::kCreating, paths[i],
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

bool OutputSet::Commit(std::ostream& err) {
  InterruptBlock block;
  for (ReplacedFile& output : files_) {
    const int error = output.Commit();
    if (error == 0) continue;
    err << FileErrorLine(FileAccess::kWriting, output.path(),
                         std::strerror(error));
    Remove();
    return false;
  }
  return true;
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
