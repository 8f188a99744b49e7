#include "standalone/standard_output.h"

#include <cerrno>
#include <cstdio>

namespace kivs {

namespace {

int firstError = 0;

bool Noted(bool written) {
  if (!written && firstError == 0) firstError = errno != 0 ? errno : EIO;
  return firstError == 0 && !std::ferror(stdout);
}

}  // namespace

bool PutOutput(char byte) {
  errno = 0;
  return Noted(std::putchar(static_cast<unsigned char>(byte)) != EOF);
}

bool FlushOutput() {
  errno = 0;
  return Noted(std::fflush(stdout) == 0);
}

int OutputError() {
  if (firstError == 0 && std::ferror(stdout)) firstError = EIO;
  return firstError;
}

}  // namespace kivs
