// Opening input files without hanging on what is not a file. A FIFO without
// a writer blocks an ordinary open for ever, and a device such as /dev/zero
// never ends; kivg, kivs and kivinfo open their inputs through these, and
// kivs and kivinfo hand the source-info library (which opens by name)
// regular files only.
#pragma once

#include <sys/stat.h>

namespace cli {

// Opens path for reading without waiting for a FIFO's writer, fills status
// and returns the descriptor, in blocking mode again, so that a pipe with a
// slow writer is still read whole. -1 with errno set when the open or the
// status fails.
int OpenForReading(const char* path, struct stat* status);

// 0 for a regular file, else the error number that reports why a file of
// this mode cannot be read as one: EISDIR for a directory, EINVAL for a
// FIFO, socket or device (no system text says "not a regular file").
int NotRegularFileError(mode_t mode);

// 0 when path names a regular file, else the error number to report: the
// open's, EISDIR for a directory, EINVAL for a FIFO, socket or device.
int RegularFileError(const char* path);

}  // namespace cli
