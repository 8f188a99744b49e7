#include "generator/driver/output_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool OutputFiles::Create(const OutputNames& names, std::ostream& err) {
  files_[kSpec].path = names.specPath;
  files_[kHeader].path = names.headerPath;
  files_[kSource].path = names.sourcePath;
  for (int i = 0; i < kCount; ++i) {
    Output& output = files_[i];
    // The spec file is binary; the C files are text.
    const std::ios::openmode mode =
        i == kSpec ? std::ios::out | std::ios::binary | std::ios::trunc
                   : std::ios::out | std::ios::trunc;
    errno = 0;
    output.stream.open(output.path, mode);
    if (!output.stream.is_open()) {
      err << "Error creating " << output.path << ": " << std::strerror(errno)
          << "\n";
      Remove();
      return false;
    }
    output.created = true;
  }
  return true;
}

bool OutputFiles::Close(bool report, std::ostream& err) {
  bool anyFailed = false;
  for (Output& output : files_) {
    if (!output.created) continue;
    errno = 0;
    output.stream.close();
    if (!output.stream.fail()) continue;
    anyFailed = true;
    if (report) {
      err << "Error writing " << output.path << ": " << std::strerror(errno)
          << "\n";
      std::remove(output.path.c_str());
      output.created = false;
    }
  }
  return anyFailed;
}

void OutputFiles::Remove() {
  for (Output& output : files_) {
    if (!output.created) continue;
    output.stream.close();
    std::remove(output.path.c_str());
    output.created = false;
  }
}
