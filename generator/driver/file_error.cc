#include "generator/driver/file_error.h"

namespace kivg {

namespace {

const char* Verb(FileAccess access) {
  switch (access) {
    case FileAccess::kOpening:
      return "opening";
    case FileAccess::kReading:
      return "reading";
    case FileAccess::kCreating:
      return "creating";
    case FileAccess::kWriting:
      return "writing";
  }
  return "";
}

}  // namespace

std::string FileErrorMessage(FileAccess access, const std::string& path,
                             const std::string& text,
                             const std::string& alias) {
  const std::string named =
      alias.empty() ? path : path + " imported as '" + alias + "'";
  return std::string("Error ") + Verb(access) + " " + named + ": " + text;
}

std::string FileErrorLine(FileAccess access, const std::string& path,
                          const std::string& text) {
  return FileErrorMessage(access, path, text) + "\n";
}

std::string FileErrorLine(const SourceLocation& location, FileAccess access,
                          const std::string& path, const std::string& text,
                          const std::string& alias) {
  return FormatLocation(location) + ": " +
         FileErrorMessage(access, path, text, alias) + "\n";
}

}  // namespace kivg
