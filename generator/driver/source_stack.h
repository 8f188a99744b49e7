// Locating and reading spec source files: the include search path, the file
// system seen by the generator, and the stack of open files of one module
// (an included file is read completely before the rest of the file that
// includes it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "generator/frontend/lexer.h"
#include "generator/frontend/parser.h"
#include "generator/frontend/source_element.h"

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

// One open source file of the module being read.
struct SourceEntry {
  std::string name;  // used in token locations, diagnostics, cycle checks
  bool savedLibrary = false;
  kivg::SourceLocation includeLocation;  // empty for a module's first file
  std::unique_ptr<kivg::Lexer> lexer;
  std::unique_ptr<kivg::Parser> parser;
  // The file's END has been parsed while an include it requested on its
  // last line was still to be read; it is popped when that include ends.
  bool finished = false;
};

}  // namespace kivg
