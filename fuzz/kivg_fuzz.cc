// Fuzz target for kivg's whole pipeline in one process: lexer, parser, model,
// finalization and the three writers, with the sources in memory. The input
// is split into files at lines holding only "%%": the first is the main spec
// fuzz.kivs, the k-th after it is f<k>.kivs, found by imports and includes
// through a search path of the current directory.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "generator/driver/command_line.h"
#include "generator/driver/memory_file_system.h"
#include "generator/driver/run_sequence.h"
#include "generator/driver/source_files.h"

namespace {

kivg::MemoryFileSystem SplitIntoFiles(const std::string& input) {
  static const std::string kSeparator = "\n%%\n";
  kivg::MemoryFileSystem files;
  size_t start = 0;
  for (int index = 0;; ++index) {
    const size_t end = input.find(kSeparator, start);
    const std::string name =
        index == 0 ? "fuzz.kivs" : "f" + std::to_string(index) + ".kivs";
    files.Add(name,
              input.substr(start, end == std::string::npos ? std::string::npos
                                                           : end + 1 - start));
    if (end == std::string::npos) break;
    start = end + kSeparator.size();
  }
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kivg::MemoryFileSystem files =
      SplitIntoFiles(std::string(reinterpret_cast<const char*>(data), size));
  kivg::GeneratorOptions options;
  options.quiet = true;
  options.source = "fuzz.kivs";
  kivg::OutputNames names;
  names.specName = "fuzz";
  names.specPath = "fuzz.kivec";
  names.headerPath = "fuzz.h";
  names.sourcePath = "fuzz.c";

  std::ostringstream out, err, spec, header, source;
  try {
    kivg::RunSequence run(options, names, files, kivg::SearchPath{""}, out,
                          err);
    run.Run({spec, header, source});
  } catch (const std::string& text) {
    // Running out of symbol numbers is a documented limit; every other thrown
    // text is an internal error, which no input may provoke.
    if (text != "Maximum number of name symbols exceeded") std::abort();
  }
  return 0;
}
