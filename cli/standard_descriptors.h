// Gives a program descriptors 0, 1 and 2 before it opens anything. Started
// with one of them closed, the program's first file would otherwise take its
// number, and what it prints would land in that file (diagnostics written
// into a generated spec file). kivg, kivs and kivinfo call it first in main.
#pragma once

namespace cli {

// Opens /dev/null on each of the three standard descriptors that is closed,
// for reading on 0 and writing on 1 and 2. When that fails it writes
// "Error opening /dev/null: " + the system's text to standard error, where
// that is open, and returns false: the program should end with status 1
// before it opens any file.
bool OpenStandardDescriptors();

// Ignores SIGPIPE, so that a write into a closed pipe fails with EPIPE and
// the program reports its lost output ("Error writing standard output:
// Broken pipe") as it reports a full disk, instead of ending silently with
// the signal. kivs and kivinfo call it; kivg handles SIGPIPE as an
// interrupt of its run instead.
void IgnoreBrokenPipeSignal();

}  // namespace cli
