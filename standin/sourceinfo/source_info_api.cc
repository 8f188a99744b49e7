// The stand-in source-info library's C interface over SourceInfo.
#include <cerrno>
#include <cstdio>
#include <new>
#include <string>

#include "include/kivd.h"
#include "standin/sourceinfo/result_texts.h"
#include "standin/sourceinfo/source_info.h"

struct KivSourceInfo {
  standin::SourceInfo info;
};

namespace {

// Reads the whole file; false with errno set when the system fails.
bool ReadFile(const char* fileName, std::string* bytes) {
  std::FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes->append(buffer, got);
  bool failed = std::ferror(file) != 0;
  int error = errno;
  std::fclose(file);
  if (failed) errno = error != 0 ? error : EIO;
  return !failed;
}

}  // namespace

extern "C" {

KivSourceInfo* KivLoadSourceInfoFromFile(const char* fileName) {
  if (fileName == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  try {
    std::string bytes;
    if (!ReadFile(fileName, &bytes)) return nullptr;
    auto* loaded = new KivSourceInfo;
    if (!loaded->info.Parse(bytes)) {
      delete loaded;
      errno = 0;  // opened and read, but the content is not a source-info file
      return nullptr;
    }
    // A successful load leaves errno as the caller had it.
    return loaded;
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return nullptr;
  }
}

void KivUnloadSourceInfo(KivSourceInfo* info) { delete info; }

KivSourceLocation KivGetSourceLocation(KivSourceInfo* info,
                                       uint32_t programCounter) {
  KivSourceLocation location = {nullptr, 0, 0};
  if (info == nullptr) return location;
  const standin::SourcePosition* position = info->info.Find(programCounter);
  if (position == nullptr) return location;
  location.fileName = info->info.fileNames()[position->file].c_str();
  location.line = position->line;
  location.column = position->column;
  return location;
}

const char* KivGetSourceFileName(KivSourceInfo* info, uint32_t index) {
  if (info == nullptr || index >= info->info.fileNames().size()) return nullptr;
  return info->info.fileNames()[index].c_str();
}

const char* KivGetSymbolName(KivSourceInfo* info, int32_t symbol) {
  if (info == nullptr || !info->info.hasSymbolNames()) return nullptr;
  const std::string* name = info->info.SymbolName(symbol);
  return name == nullptr ? "" : name->c_str();
}

const char* KivRunResultToString(int32_t result) {
  return standin::RunResultText(result);
}

const char* KivAddCodeResultToString(int32_t result) {
  return standin::AddCodeResultText(result);
}

}  // extern "C"
