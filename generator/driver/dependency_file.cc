#include "generator/driver/dependency_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

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
  const std::string text = file.Text();
  errno = 0;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    err << "Error writing " << path << ": " << std::strerror(errno) << "\n";
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  const int writeError = errno;
  const bool closed = std::fclose(out) == 0;
  if (written && closed) return true;
  err << "Error writing " << path << ": "
      << std::strerror(written ? errno : writeError) << "\n";
  std::remove(path.c_str());
  return false;
}
