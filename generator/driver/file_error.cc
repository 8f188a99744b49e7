#include "generator/driver/file_error.h"

namespace kivg {

std::string FileErrorLine(FileAccess access, const std::string& path,
                          const std::string& text) {
  return std::string(access == FileAccess::kOpening ? "Error opening "
                                                    : "Error reading ") +
         path + ": " + text + "\n";
}

std::string FileErrorLine(const SourceLocation& location, FileAccess access,
                          const std::string& path, const std::string& text,
                          const std::string& alias) {
  const std::string named =
      alias.empty() ? path : path + " imported as '" + alias + "'";
  return FormatLocation(location) + ": " + FileErrorLine(access, named, text);
}

}  // namespace kivg
