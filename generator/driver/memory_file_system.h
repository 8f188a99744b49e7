// Source files held in memory, for running the generator in one process
// without a disk: the fuzz target and the run tests use it. A name not
// added is a failed open (ENOENT), as a missing file on disk is.
#pragma once

#include <cerrno>
#include <map>
#include <string>
#include <utility>

#include "generator/driver/source_files.h"

namespace kivg {

class MemoryFileSystem : public SourceFileSystem {
 public:
  void Add(const std::string& path, std::string contents) {
    files_[path] = std::move(contents);
  }
  // Reading PATH gives STATUS with ERROR, so that failures no real file
  // shows on demand (a read error after a good open) can be run.
  void Fail(const std::string& path, SourceText::Status status, int error) {
    failures_[path] = {status, error};
  }

  SourceText Read(const std::string& path) override {
    SourceText text;
    text.path = path;
    auto failure = failures_.find(path);
    if (failure != failures_.end()) {
      text.status = failure->second.first;
      text.error = failure->second.second;
      return text;
    }
    auto found = files_.find(path);
    if (found == files_.end()) {
      text.error = ENOENT;
      return text;
    }
    text.status = SourceText::kRead;
    text.contents = found->second;
    return text;
  }

 private:
  std::map<std::string, std::string> files_;
  std::map<std::string, std::pair<SourceText::Status, int>> failures_;
};

}  // namespace kivg
