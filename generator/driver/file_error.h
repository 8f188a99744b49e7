// The driver's one line for a file that could not be opened, read, created
// or written: "Error opening PATH: TEXT" and its kin, after the location of
// the statement that asked for a source file when there is one.
#pragma once

#include <string>

#include "generator/frontend/source_element.h"

namespace kivg {

enum class FileAccess { kOpening, kReading, kCreating, kWriting };

// "Error opening PATH: TEXT" and its kin, without an end of line. TEXT is
// the system's error text, or why the file was refused. A module imported
// under another name carries " imported as 'ALIAS'" after its file name, so
// that two failed references to one module can be told apart; ALIAS is
// empty otherwise.
std::string FileErrorMessage(FileAccess access, const std::string& path,
                             const std::string& text,
                             const std::string& alias = std::string());

// The message as a line.
std::string FileErrorLine(FileAccess access, const std::string& path,
                          const std::string& text);

// The same after "LOCATION: ".
std::string FileErrorLine(const SourceLocation& location, FileAccess access,
                          const std::string& path, const std::string& text,
                          const std::string& alias = std::string());

}  // namespace kivg
