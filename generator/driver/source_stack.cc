#include "generator/driver/source_stack.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

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
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    text.error = errno;
    return text;
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    std::fclose(file);
    text.error = EISDIR;
    return text;
  }
  char buffer[1 << 16];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.contents.append(buffer, count);
  if (std::ferror(file)) {
    text.status = SourceText::kReadFailed;
    text.error = errno;
  } else {
    text.status = SourceText::kRead;
  }
  std::fclose(file);
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
