#include "generator/driver/same_file.h"

#include <sys/stat.h>

#include <filesystem>

namespace kivg {

std::string ResolvePath(const std::string& path) {
  std::error_code ignored;
  std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  std::filesystem::path resolved =
      std::filesystem::weakly_canonical(absolute, ignored);
  return (resolved.empty() ? absolute.lexically_normal() : resolved).string();
}

FileKey KeyOfPath(const std::string& path) {
  FileKey key;
  key.path = path;
  key.resolved = ResolvePath(path);
  struct stat status;
  if (stat(path.c_str(), &status) == 0) {
    key.exists = true;
    key.device = status.st_dev;
    key.inode = status.st_ino;
  }
  return key;
}

bool SameFile(const FileKey& a, const FileKey& b) {
  if (a.exists && b.exists && a.device == b.device && a.inode == b.inode)
    return true;
  return !a.resolved.empty() && a.resolved == b.resolved;
}

}  // namespace kivg
