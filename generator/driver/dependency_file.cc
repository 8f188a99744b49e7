#include "generator/driver/dependency_file.h"

#include <cstring>
#include <filesystem>

namespace kivg {

namespace {

constexpr char kRerunMarker[] = "/dev/null/kivg-rerun";

bool IsUnspellable(unsigned char c) {
  return c < 0x20 || c == 0x7f || std::strchr(";|=*?\"'^&<>`", c) != nullptr;
}

}  // namespace

std::optional<std::string> SpellDependencyPath(const std::string& path) {
  if (path.empty() || path.front() == '~' || path.back() == '\\' ||
      path.back() == ':')
    return std::nullopt;
  const size_t open = path.find('[');
  if (open != std::string::npos && path.find(']', open) != std::string::npos)
    return std::nullopt;
  if (path.back() == ')' && path.find('(') != std::string::npos)
    return std::nullopt;
  std::string spelled;
  spelled.reserve(path.size());
  size_t backslashes = 0;  // the run of backslashes just copied
  for (char c : path) {
    if (c == '\0' || IsUnspellable(static_cast<unsigned char>(c)))
      return std::nullopt;
    if (c == ' ') {
      // Both readers halve a run of backslashes before an escaped space.
      spelled.append(backslashes, '\\');
      spelled += '\\';
    } else if (c == '#' || c == ':' || c == '$') {
      // Before these make halves a backslash run and Ninja drops one
      // backslash: no spelling reads back alike in both.
      if (backslashes > 0) return std::nullopt;
      spelled += c == '$' ? '$' : '\\';
    }
    spelled += c;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  return spelled;
}

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

std::optional<std::string> DependencyFile::Unspellable() const {
  for (const std::vector<std::string>* paths : {&targets_, &prerequisites_}) {
    for (const std::string& path : *paths) {
      if (!SpellDependencyPath(path)) return path;
    }
  }
  return std::nullopt;
}

std::string DependencyFile::Text() const {
  if (Unspellable()) return RerunText();
  std::string text;
  for (size_t i = 0; i < targets_.size(); ++i) {
    if (i > 0) text += ' ';
    text += *SpellDependencyPath(targets_[i]);
  }
  text += ':';
  for (size_t i = 0; i < prerequisites_.size(); ++i) {
    if (i > 0) text += " \\\n";
    text += ' ';
    text += *SpellDependencyPath(prerequisites_[i]);
  }
  text += '\n';
  // Each prerequisite is also a target of its own without prerequisites:
  // once an include is deleted from the spec and from the disk, make then
  // runs kivg again instead of stopping at a file it has no rule for.
  for (const std::string& prerequisite : prerequisites_) {
    text += '\n';
    text += *SpellDependencyPath(prerequisite);
    text += ":\n";
  }
  return text;
}

std::string DependencyFile::RerunText() const {
  std::string targets;
  for (const std::string& target : targets_) {
    const std::optional<std::string> spelled = SpellDependencyPath(target);
    if (!spelled) continue;
    if (!targets.empty()) targets += ' ';
    targets += *spelled;
  }
  // Without a target that can be named, an empty file: it adds nothing to
  // the build tool's own rule, and both tools read it.
  if (targets.empty()) return std::string();
  return targets + ": " + kRerunMarker + "\n\n" + kRerunMarker + ":\n";
}

}  // namespace kivg
