#include "standalone/open_file_set.h"

namespace kivs {

OpenFileSet::~OpenFileSet() {
  for (std::FILE* file : files_) std::fclose(file);
}

void OpenFileSet::Add(std::FILE* file) { files_.insert(file); }

bool OpenFileSet::Contains(std::FILE* file) const {
  return files_.count(file) != 0;
}

bool OpenFileSet::Close(std::FILE* file) {
  files_.erase(file);
  return std::fclose(file) == 0;
}

void OpenFileSet::CloseAll() {
  bool failed = false;
  for (std::FILE* file : files_) {
    if (std::fclose(file) != 0) failed = true;
  }
  files_.clear();
  if (failed) std::fputs("Error closing one or more output files\n", stderr);
}

}  // namespace kivs
