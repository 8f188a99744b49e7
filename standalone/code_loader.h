// Gives the engine the code of a script executable. Each built-in spec is
// tried in turn until the engine accepts the code against one of them; the
// code arrives whole, byte by byte into the code area, or in pages that the
// engine reads on demand through ReadCodePage.
#pragma once

#include <kiv.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "standalone/built_in_specs.h"
#include "standalone/open_file_set.h"
#include "standalone/runner_command_line.h"
#include "standalone/runner_context.h"
#include "standalone/whole_executable.h"

namespace kivs {

// The memory the runner gives the engine; code is null when codeSize is 0.
struct EngineAreas {
  uint8_t* code = nullptr;
  std::size_t codeSize = 0;
  void* data = nullptr;
  std::size_t dataSize = 0;
};

// What ReadCodePage returns to the engine. The KivCodeReader interface
// (kiv.h) has 0 for success and leaves its failure codes to the engine; these
// are the two the engine gives a meaning to.
enum CodeReaderResult : int32_t {
  kCodeReaderOk = 0,
  // The file could not be positioned at the page's offset, though it
  // reported no I/O error: an offset the file cannot reach.
  kCodeReaderSeekFailed = 6,
  // The file reported an I/O error while seeking or reading.
  kCodeReaderFileError = 256,
};

// The runner's KivCodeReader. id is the open executable's FILE handle.
int32_t ReadCodePage(void* id, uint32_t offset, std::size_t* size,
                     uint8_t* buffer);

class CodeLoader {
 public:
  CodeLoader(KivEngine& engine, const EngineAreas& areas,
             RunnerContext& context, OpenFileSet& openFiles,
             FileSizeFunction sizeOf = MeasureFileSize);

  // Returns the entry that accepted the code, or null after printing why
  // loading failed. In whole mode a code page size is dropped (with a
  // warning) from settings. Once the code is in, the file is closed, except
  // in paged mode, where it stays open in openFiles for the engine's reads.
  const BuiltInSpec* LoadExecutable(const BuiltInSpecList& specs,
                                    std::FILE* file, const std::string& name,
                                    RunnerSettings& settings);

 private:
  // The outcome of offering the code against one spec.
  struct Attempt {
    bool failed = false;  // loading is over; the message is printed
    KivAddCodeResult result = KivAddCodeResult_OK;
    std::string errorText;  // printed later, unless the next spec accepts
  };

  Attempt LoadWhole(const KivAppSpec* spec, std::FILE* file,
                    const std::string& name, RunnerSettings& settings);
  // Whole mode: lets the engine see the executable's first bytes before the
  // file is read whole (see code_loader.cc). Sets attempt when the engine
  // already refuses them or they cannot be read.
  bool ShowsForeignHead(const KivAppSpec* spec, std::FILE* file,
                        const std::string& name, Attempt* attempt);
  Attempt LoadBytes(std::FILE* file, const std::string& name);
  Attempt LoadPaged(std::FILE* file, const RunnerSettings& settings);

  KivEngine& engine_;
  EngineAreas areas_;
  RunnerContext& context_;
  OpenFileSet& openFiles_;
  FileSizeFunction sizeOf_;
  // Whole mode: the engine runs from this buffer, so it lives as long as the
  // loader, which the runner keeps until it exits.
  std::unique_ptr<uint8_t[]> executable_;
};

}  // namespace kivs
