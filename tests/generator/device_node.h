// Character devices made for a test inside its scratch directory, so that a
// test never writes to (or lets kivg remove) the system's own device files.
// Making one needs root; without it the callers skip.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>

// The device numbers of the kernel's memory devices.
inline dev_t NullDevice() { return makedev(1, 3); }
inline dev_t FullDevice() { return makedev(1, 7); }  // every write: ENOSPC

inline bool MakeDeviceNode(const std::string& path, dev_t device) {
  return mknod(path.c_str(), S_IFCHR | 0666, device) == 0;
}

inline bool IsCharacterDevice(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode);
}
