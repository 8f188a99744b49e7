// Where kivg's spec sources come from: the include search path, the file
// system the run reads (the disk, or memory in tests and the fuzz target),
// and the lookup of a source name along the search path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kivg {

// Directory prefixes from KIV_SPEC_INCLUDE; an empty entry stands for the
// current directory.
using SearchPath = std::vector<std::string>;

// Splits the variable's value at ";" without trimming. Null (variable not
// set) gives an empty list; an empty value gives one empty entry.
SearchPath ParseSearchPath(const char* value);

// The largest source file read, in bytes. A larger one (or a device that
// never ends) is a read error, EFBIG, instead of exhausted memory.
constexpr size_t kMaxSourceFileSize = size_t{256} << 20;

// What trying to read one source file gave.
struct SourceText {
  enum Status { kRead, kOpenFailed, kReadFailed };
  Status status = kOpenFailed;
  int error = 0;  // errno of the failure
  std::string path;
  // The file opened, as an absolute path with every link resolved, when
  // known: what a build tool must watch.
  std::string resolvedPath;
  std::string contents;
  // The file's device and inode as its descriptor gave them, when known.
  bool identified = false;
  uint64_t device = 0;
  uint64_t inode = 0;
};

// The files the generator reads. Tests and fuzz targets substitute their
// own; the program reads the disk.
class SourceFileSystem {
 public:
  virtual ~SourceFileSystem() = default;
  virtual SourceText Read(const std::string& path) = 0;
};

// Reads whole files from disk, regular files only: a directory is a failed
// open (EISDIR), since taking its failed read for end of input would
// silently make an empty spec; a FIFO, device or socket is a failed open
// too (EINVAL), since it may block for ever or never end. The open does not
// block, and the type is checked on the opened file, not on the name.
class DiskFileSystem : public SourceFileSystem {
 public:
  SourceText Read(const std::string& path) override;
};

// Resolves a source name: an explicit path ("/", "\", "./", "../" and their
// backslash forms) is read as is, any other name from each search path entry
// in turn. The first candidate that opens wins; a directory is skipped.
SourceText FindSourceFile(SourceFileSystem& files, const SearchPath& searchPath,
                          const std::string& name);

}  // namespace kivg
