// The generator's main loop: reads every module of a spec (the main spec
// first, then imported modules in order of first mention) one source file at
// a time through the lexer and parser into the model, stops at the first
// error, finalizes the model and runs the three writers in their fixed order.
#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "generator/driver/command_line.h"
#include "generator/driver/same_file.h"
#include "generator/driver/source_stack.h"
#include "generator/model/diagnostic.h"
#include "generator/model/generator.h"

namespace kivg {

// Bounds on what one run reads, so that a spec whose includes multiply (n
// files each including the next twice reads 2^n files) ends with a located
// error instead of running for hours. Both are far above any real spec.
constexpr size_t kMaxFilesRead = 100000;    // every source file read
constexpr size_t kMaxIncludeDepth = 20000;  // files open in one module

enum class RunOutcome {
  kWritten,    // all three outputs written
  kSpecError,  // a diagnostic or lexical error: "Ended in ERROR"
  kOpenError,  // a module or include could not be read, or an include cycle
  // A source read would be one of the outputs (or the dependency file). The
  // files there are the user's inputs now: they are kept.
  kOutputAsSource,
};

// Where one source file of the run came from, under the name its locations
// carry: the path it was read from and the statement that asked for it (an
// include, or the first import of its module); no location for the main
// spec.
struct SourceOrigin {
  std::string path;
  SourceLocation requestedAt;
  bool imported = false;
};

struct OutputStreams {
  std::ostream& spec;
  std::ostream& header;
  std::ostream& source;
};

class RunSequence {
 public:
  // Diagnostics, the driver's own lines among them, go to the sink as
  // records; out receives the progress lines.
  RunSequence(const GeneratorOptions& options, const OutputNames& names,
              SourceFileSystem& files, SearchPath searchPath, std::ostream& out,
              DiagnosticSink& diagnostics);
  // Diagnostics are printed on err as kivg's lines.
  RunSequence(const GeneratorOptions& options, const OutputNames& names,
              SourceFileSystem& files, SearchPath searchPath, std::ostream& out,
              std::ostream& err);

  // SOURCE as the check before the run read it, so that the main module is
  // not read a second time (a FIFO could not be).
  void SetMainSource(SourceText text) {
    mainSource_ = std::move(text);
    mainSourceSet_ = true;
  }
  // Files no source may be: reading one of them is an open error.
  void ProtectOutputs(std::vector<FileKey> outputs) {
    outputs_ = std::move(outputs);
  }

  // Internal errors escape as thrown std::string texts.
  RunOutcome Run(OutputStreams outputs);
  // Only the reading of every module and the finalization, with nothing
  // written: kWritten when the model is complete.
  RunOutcome Read();

  // The model; complete after a read that ended in kWritten.
  const Generator& generator() const { return generator_; }
  // Every source file read, by the name its locations carry; a name read
  // twice keeps its first origin.
  const std::map<std::string, SourceOrigin>& sources() const {
    return sources_;
  }

  // Every source file opened and read so far, in order, a file included
  // twice once per read.
  const std::vector<std::string>& filesRead() const { return filesRead_; }

 private:
  bool OpenModule(const std::string& module,
                  const std::vector<kivg::ModuleReference>& references);
  // Feeds the current file's tokens until the module's stack is empty.
  RunOutcome ReadModule();
  bool PushInclude();
  // The output `text` is, or null.
  const FileKey* OutputRead(const SourceText& text) const;
  void PopFinishedFiles();
  void PushSource(SourceText text, const std::string& name,
                  const kivg::SourceLocation& includeLocation);
  void ReportLexicalError(const kivg::Token& token);
  // One of the driver's own lines, as a record.
  void ReportLine(const SourceLocation& location, std::string message);

  const GeneratorOptions& options_;
  const OutputNames& names_;
  SourceFileSystem& files_;
  SearchPath searchPath_;
  std::ostream& out_;
  // The printer of the stream constructor; null with an outside sink.
  std::unique_ptr<DiagnosticPrinter> printer_;
  DiagnosticSink& diagnostics_;
  kivg::Generator generator_;
  std::vector<SourceEntry> sourceStack_;
  std::vector<std::string> filesRead_;
  std::map<std::string, SourceOrigin> sources_;
  SourceText mainSource_;
  bool mainSourceSet_ = false;
  std::vector<FileKey> outputs_;
  RunOutcome openFailure_ = RunOutcome::kOpenError;  // why the last open failed
};

// Cuts a bad token's text to a readable length and escapes every byte below
// 0x20 or above 0x7E as \xHH, so that a huge unterminated string or a
// binary file does not flood a terminal with raw bytes.
std::string ShownTokenText(const std::string& text);

}  // namespace kivg
