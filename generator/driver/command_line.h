// The generator's command line: options, the SOURCE argument and the three
// output paths derived from them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kivg {

struct GeneratorOptions {
  bool quiet = false;
  bool printVersion = false;
  std::string specOption;  // -s SPEC; a later -s replaces an earlier one
  std::string codeOption;  // -c CODE
  std::string source;
};

// What the caller does after the command line has been read.
enum class CommandLineAction { Run, ExitSuccess, ExitFailure };

// Reads the arguments after the program name. Writes usage, version and
// option errors itself.
CommandLineAction ParseCommandLine(const std::vector<std::string>& args,
                                   GeneratorOptions* options, std::ostream& out,
                                   std::ostream& err);

struct OutputNames {
  std::string specName;    // SOURCE without directory and ".kivs"
  std::string specPath;    // *.kivec
  std::string headerPath;  // *.h
  std::string sourcePath;  // *.c
};

// Derives the spec name and output paths from SOURCE and the options; false
// after reporting a bad SOURCE name.
bool DeriveOutputNames(const GeneratorOptions& options, OutputNames* names,
                       std::ostream& err);

void WriteGeneratorUsage(std::ostream& err);

// The file part of a path: what follows its last separator.
std::string FileNamePart(const std::string& path);

}  // namespace kivg
