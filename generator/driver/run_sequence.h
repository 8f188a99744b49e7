// The generator's main loop: reads every module of a spec (the main spec
// first, then imported modules in order of first mention) one source file at
// a time through the lexer and parser into the model, stops at the first
// error, finalizes the model and runs the three writers in their fixed order.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "generator/driver/command_line.h"
#include "generator/driver/source_stack.h"
#include "generator/model/generator.h"

enum class RunOutcome {
  kWritten,    // all three outputs written
  kSpecError,  // a diagnostic or lexical error: "Ended in ERROR"
  kOpenError,  // a module or include could not be read, or an include cycle
};

struct OutputStreams {
  std::ostream& spec;
  std::ostream& header;
  std::ostream& source;
};

class RunSequence {
 public:
  RunSequence(const GeneratorOptions& options, const OutputNames& names,
              SourceFileSystem& files, SearchPath searchPath,
              std::ostream& out, std::ostream& err);

  // Internal errors escape as thrown std::string texts.
  RunOutcome Run(OutputStreams outputs);

  // Every source file opened and read so far, in order, a file included
  // twice once per read.
  const std::vector<std::string>& filesRead() const { return filesRead_; }

 private:
  bool OpenModule(const std::string& module,
                  const std::vector<kivg::ModuleReference>& references);
  // Feeds the current file's tokens until the module's stack is empty.
  RunOutcome ReadModule();
  bool PushInclude();
  void PopFinishedFiles();
  void PushSource(SourceText text, const std::string& name,
                  const kivg::SourceLocation& includeLocation);
  void ReportLexicalError(const kivg::Token& token);

  const GeneratorOptions& options_;
  const OutputNames& names_;
  SourceFileSystem& files_;
  SearchPath searchPath_;
  std::ostream& out_;
  std::ostream& err_;
  kivg::Generator generator_;
  std::vector<SourceEntry> sourceStack_;
  std::vector<std::string> filesRead_;
};

// The whole kivg program below its outermost handler: command line, outputs,
// run and exit status. The model of the run is not freed; it is left to the
// operating system when the process ends (or freed by the next call).
int RunGenerator(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err);
