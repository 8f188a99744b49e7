// Tells whether two paths name the same file, so that kivg never writes an
// output over its source, over a file it reads, or over another output: two
// names are one file when they are the same path once made absolute and
// resolved, or when both exist with the same device and inode (hard links,
// symbolic links).
#pragma once

#include <cstdint>
#include <string>

namespace kivg {

struct FileKey {
  std::string path;      // as the user gave it, for messages
  std::string resolved;  // absolute, symbolic links resolved where they exist
  bool exists = false;
  uint64_t device = 0;
  uint64_t inode = 0;
};

// Looks the path up now (following symbolic links).
FileKey KeyOfPath(const std::string& path);
// The path made absolute, with symbolic links resolved as far as it exists.
std::string ResolvePath(const std::string& path);

bool SameFile(const FileKey& a, const FileKey& b);

}  // namespace kivg
