#include "generator/driver/dependency_file.h"

#include <cstring>
#include <filesystem>

#include "generator/driver/file_error.h"
#include "generator/driver/replaced_file.h"

namespace kivg {

DependencyFile::DependencyFile(std::vector<std::string> targets)
    : targets_(std::move(targets)) {}

void DependencyFile::AddPrerequisite(const std::string& path) {
  std::filesystem::path full(path);
  if (full.is_relative()) {
    std::error_code ignored;
    full = (std::filesystem::current_path(ignored) / full).lexically_normal();
  }
  std::string text = full.string();
  if (recorded_.insert(text).second) prerequisites_.push_back(std::move(text));
}

std::string DependencyFile::Text() const {
  std::string text;
  for (size_t i = 0; i < targets_.size(); ++i) {
    if (i > 0) text += ' ';
    text += EscapeMakePath(targets_[i]);
  }
  text += ':';
  for (size_t i = 0; i < prerequisites_.size(); ++i) {
    if (i > 0) text += " \\\n";
    text += ' ';
    text += EscapeMakePath(prerequisites_[i]);
  }
  text += '\n';
  // Each prerequisite is also a target of its own without prerequisites:
  // once an include is deleted from the spec and from the disk, make then
  // runs kivg again instead of stopping at a file it has no rule for.
  for (const std::string& prerequisite : prerequisites_) {
    text += '\n';
    text += EscapeMakePath(prerequisite);
    text += ":\n";
  }
  return text;
}

std::string EscapeMakePath(const std::string& path) {
  std::string escaped;
  escaped.reserve(path.size());
  size_t backslashes = 0;  // the run of backslashes just copied
  for (char c : path) {
    if (c == ' ' || c == '\t') {
      escaped.append(backslashes, '\\');
      escaped += '\\';
    } else if (c == '#') {
      escaped += '\\';
    } else if (c == '$') {
      escaped += '$';
    }
    escaped += c;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  return escaped;
}

bool WriteDependencyFile(const DependencyFile& file, const std::string& path,
                         std::ostream& err) {
  ReplacedFile output;
  int error = output.Open(path);
  if (error == 0) {
    output.stream() << file.Text();
    error = output.Close();
    if (error == 0) error = output.Commit();
  }
  if (error == 0) return true;
  // Only the temporary is removed: a device or FIFO named as the dependency
  // file stays, and an earlier regular file there is left as it was.
  output.Discard();
  err << FileErrorLine(FileAccess::kWriting, path, std::strerror(error));
  return false;
}

}  // namespace kivg
