#include "standalone/whole_executable.h"

#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace kivs {

namespace {

constexpr int64_t kLargestExecutable = 2147483647;

}  // namespace

int64_t MeasureFileSize(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  return static_cast<int64_t>(ftello(file));
}

std::string ReadErrorText(const std::string& name, int errorNumber) {
  return "Error reading " + name + ": " +
         (errorNumber != 0 ? std::strerror(errorNumber)
                           : "Unexpected end of file");
}

WholeExecutable ReadWholeExecutable(std::FILE* file, const std::string& name,
                                    FileSizeFunction sizeOf) {
  WholeExecutable executable;
  errno = 0;
  const int64_t size = sizeOf(file);
  if (size < 0) {
    executable.error =
        "Error determining size of " + name + ": " + std::strerror(errno);
    return executable;
  }
  if (size > kLargestExecutable) {
    executable.error = "Error determining size of " + name + ": File too large";
    return executable;
  }
  if (size == 0) {
    executable.error = ReadErrorText(name, 0);
    return executable;
  }
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow)
                                       uint8_t[static_cast<std::size_t>(size)]);
  if (!bytes) {
    executable.error = "Error allocating memory for executable code";
    return executable;
  }
  errno = 0;
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    executable.error = ReadErrorText(name, errno);
    return executable;
  }
  const std::size_t items =
      std::fread(bytes.get(), static_cast<std::size_t>(size), 1, file);
  if (items < 1 || std::feof(file) || std::ferror(file)) {
    executable.error = ReadErrorText(name, std::ferror(file) ? errno : 0);
    return executable;
  }
  executable.bytes = std::move(bytes);
  executable.size = static_cast<std::size_t>(size);
  return executable;
}

}  // namespace kivs
