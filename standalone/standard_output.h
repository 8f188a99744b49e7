// kivs's standard output, written through stdio, with the reason of its
// first failed write kept: glibc drops the buffer of a failed write, so a
// later flush succeeds with nothing to write and errno no longer tells why
// the stream failed. The script's prints, the flushes before a sleep and
// before the failure report, and the last flush at exit go through here.
#pragma once

namespace kivs {

// Writes one byte; false once standard output has failed.
bool PutOutput(char byte);

// Writes what is buffered; false once standard output has failed.
bool FlushOutput();

// errno of the first failed write or flush, EIO when stdio reports a
// failure whose reason was not seen, 0 while standard output is fine.
int OutputError();

}  // namespace kivs
