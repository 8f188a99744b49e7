// The generator's main loop: reads every module of a spec (the main spec
// first, then imported modules in order of first mention) one source file at
// a time through the lexer and parser into the model, stops at the first
// error, finalizes the model and runs the three writers in their fixed order.
// Reading works on any SourceFileSystem and writes nothing but diagnostics,
// so that a caller may read a spec without writing its outputs.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "generator/driver/command_line.h"
#include "generator/driver/same_file.h"
#include "generator/driver/source_files.h"
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

// One source file the run read.
struct FileRead {
  std::string path;          // as it was found: in diagnostics
  std::string resolvedPath;  // the file opened, when known (SourceText)
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
  const std::vector<FileRead>& filesRead() const { return filesRead_; }

 private:
  // Opens the named module's first file and pushes it.
  bool OpenModule(const std::string& module,
                  const std::vector<ModuleReference>& references);
  // Opens the file the include statement just reduced asks for and pushes
  // it.
  bool PushInclude();
  // The steps every source file goes through, whoever asked for it: the
  // limits, the read, the cycle and output checks, then the push. The
  // requests are the import statements that named a module (none for the
  // main spec), or the one include statement, whose alias is empty.
  bool OpenSource(const std::string& name,
                  const std::function<SourceText()>& read,
                  const std::vector<ModuleReference>& requests,
                  const std::string& module, bool isInclude);
  // Feeds the current module's tokens until its stack is empty.
  bool ReadModule();
  // The output `text` is, or null.
  const FileKey* OutputRead(const SourceText& text) const;
  void ReportLexicalError(const Token& token);
  bool Fail(RunOutcome outcome) {
    failure_ = outcome;
    return false;
  }
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
  Generator generator_;
  SourceStack stack_;
  std::vector<FileRead> filesRead_;
  std::map<std::string, SourceOrigin> sources_;
  SourceText mainSource_;
  bool mainSourceSet_ = false;
  std::vector<FileKey> outputs_;
  RunOutcome failure_ = RunOutcome::kOpenError;
};

}  // namespace kivg
