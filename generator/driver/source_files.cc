#include "generator/driver/source_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "cli/regular_file.h"

namespace kivg {

namespace {

// Reads up to one byte past the limit, so that a file that grew after its
// size was taken is caught as well.
void ReadRegularFile(int fd, const struct stat& status, SourceText* text) {
  if (status.st_size > static_cast<off_t>(kMaxSourceFileSize)) {
    text->status = SourceText::kReadFailed;
    text->error = EFBIG;
    return;
  }
  text->contents.resize(static_cast<size_t>(status.st_size) + 1);
  size_t size = 0;
  for (;;) {
    if (size == text->contents.size()) {
      if (size > kMaxSourceFileSize) {
        text->contents.clear();
        text->status = SourceText::kReadFailed;
        text->error = EFBIG;
        return;
      }
      text->contents.resize(std::min(size * 2, kMaxSourceFileSize + 1));
    }
    const ssize_t count =
        read(fd, &text->contents[size], text->contents.size() - size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      text->contents.clear();
      text->status = SourceText::kReadFailed;
      text->error = errno;
      return;
    }
    if (count == 0) break;
    size += static_cast<size_t>(count);
  }
  text->contents.resize(size);
  text->status = SourceText::kRead;
}

bool SameInode(const std::string& path, const struct stat& opened) {
  struct stat named;
  return stat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
         named.st_ino == opened.st_ino;
}

// The opened file's own path: what the kernel says the descriptor is,
// else the name resolved through every link (not lexically: ".." after a
// link goes where the link leads), as long as it is still the same file.
std::string ResolvedPathOf(int fd, const std::string& path,
                           const struct stat& opened) {
  char buffer[PATH_MAX];
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t size = readlink(self.c_str(), buffer, sizeof buffer);
  if (size > 0 && size < static_cast<ssize_t>(sizeof buffer) &&
      buffer[0] == '/') {
    std::string resolved(buffer, static_cast<size_t>(size));
    if (SameInode(resolved, opened)) return resolved;
  }
  if (realpath(path.c_str(), buffer) != nullptr && SameInode(buffer, opened))
    return buffer;
  return std::string();
}

}  // namespace

SearchPath ParseSearchPath(const char* value) {
  SearchPath entries;
  if (value == nullptr) return entries;
  entries.emplace_back();
  for (const char* c = value; *c != '\0'; ++c) {
    if (*c == ';')
      entries.emplace_back();
    else
      entries.back() += *c;
  }
  return entries;
}

SourceText DiskFileSystem::Read(const std::string& path) {
  SourceText text;
  text.path = path;
  struct stat status;
  const int fd = cli::OpenForReading(path.c_str(), &status);
  if (fd < 0) {
    text.error = errno;
    return text;
  }
  text.error = cli::NotRegularFileError(status.st_mode);
  if (text.error == 0) {
    text.identified = true;
    text.device = status.st_dev;
    text.inode = status.st_ino;
    text.resolvedPath = ResolvedPathOf(fd, path, status);
    ReadRegularFile(fd, status, &text);
  }
  close(fd);
  return text;
}

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsExplicitPath(const std::string& name) {
  if (!name.empty() && IsSeparator(name[0])) return true;
  if (name.size() >= 2 && name[0] == '.' && IsSeparator(name[1])) return true;
  return name.size() >= 3 && name[0] == '.' && name[1] == '.' &&
         IsSeparator(name[2]);
}

}  // namespace

SourceText FindSourceFile(SourceFileSystem& files, const SearchPath& searchPath,
                          const std::string& name) {
  if (IsExplicitPath(name)) return files.Read(name);
  // Without any candidate the failure is that of a missing file, never a
  // stale error left by an earlier call.
  SourceText result;
  result.path = name;
  result.error = ENOENT;
  for (const std::string& entry : searchPath) {
    std::string candidate = entry;
    if (!entry.empty() && !IsSeparator(entry.back())) candidate += '/';
    candidate += name;
    SourceText text = files.Read(candidate);
    if (text.status != SourceText::kOpenFailed) return text;
    result.error = text.error;
  }
  return result;
}

}  // namespace kivg
