// Reads a script executable whole into one buffer, which the engine then runs
// from. The file's size comes through a FileSizeFunction, so a test can show
// the reader a size that no file on disk needs to have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace kivs {

// The size of the open file in bytes, or -1 with errno set.
using FileSizeFunction = int64_t (*)(std::FILE* file);

// Seeks to the end of the file and reads the position at full width.
int64_t MeasureFileSize(std::FILE* file);

struct WholeExecutable {
  std::unique_ptr<uint8_t[]> bytes;  // null after a failure
  std::size_t size = 0;
  std::string error;  // the message to print, empty on success
};

// Sizes above the largest signed 32-bit value are refused rather than cut
// down, and an empty file is a short read: no zero-byte buffer is made.
WholeExecutable ReadWholeExecutable(std::FILE* file, const std::string& name,
                                    FileSizeFunction sizeOf = MeasureFileSize);

// "Error reading " + name + ": " and the system text of errorNumber, or
// "Unexpected end of file" when the failed read set no system error.
std::string ReadErrorText(const std::string& name, int errorNumber);

}  // namespace kivs
