#include "cli/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace cli {

int OpenForReading(const char* path, struct stat* status) {
  const int descriptor =
      open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor == -1) return -1;
  const int flags = fcntl(descriptor, F_GETFL);
  if (fstat(descriptor, status) != 0 || flags == -1 ||
      fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    close(descriptor);
    errno = error;
    return -1;
  }
  return descriptor;
}

int NotRegularFileError(mode_t mode) {
  if (S_ISREG(mode)) return 0;
  return S_ISDIR(mode) ? EISDIR : EINVAL;
}

int RegularFileError(const char* path) {
  struct stat status {};
  const int descriptor = OpenForReading(path, &status);
  if (descriptor == -1) return errno;
  close(descriptor);
  return NotRegularFileError(status.st_mode);
}

}  // namespace cli
