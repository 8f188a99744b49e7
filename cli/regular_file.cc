#include "cli/regular_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace cli {

int OpenForReading(const char* path, struct stat* status) {
  const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
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

int RegularFileError(const char* path) {
  struct stat status {};
  const int descriptor = OpenForReading(path, &status);
  if (descriptor == -1) return errno;
  close(descriptor);
  if (S_ISREG(status.st_mode)) return 0;
  return S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
}

}  // namespace cli
