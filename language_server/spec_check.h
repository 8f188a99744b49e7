// One check of an open document: the generator's whole front end and
// finalization run in memory on the editor's text, exactly as kivg reads a
// spec (the same first error, every warning before it), with nothing
// written. The check keeps what it found: the diagnostic records, where each
// source file came from, every path it asked for and, when the whole spec
// was read, the completed model for later requests.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "generator/driver/command_line.h"
#include "generator/driver/run_sequence.h"
#include "generator/model/diagnostic.h"
#include "language_server/document_file_system.h"

namespace kivls {

// One statement on the way from the checked document to a source file: the
// include or import that asked for the next file.
struct IncludeStep {
  kivg::SourceLocation location;
  bool imported = false;
};

class SpecCheck : private kivg::DiagnosticSink {
 public:
  // source: SOURCE as kivg would be given it (the document's path, or a
  // name made up for a document that is no file); text: the document's
  // text.
  SpecCheck(const std::string& source, std::string text,
            DocumentFileSystem::OpenText openText, const std::string& root,
            kivg::SearchPath searchPath);
  ~SpecCheck() override;
  SpecCheck(const SpecCheck&) = delete;
  SpecCheck& operator=(const SpecCheck&) = delete;

  // In the order they were reported.
  const std::vector<kivg::Diagnostic>& diagnostics() const {
    return diagnostics_;
  }

  // The name the checked document's own locations carry.
  const std::string& mainFileName() const { return mainFileName_; }
  // The normal absolute path of a file that locations name; empty for the
  // checked document itself and for a name the check did not read.
  std::string PathOf(const std::string& fileName) const;
  // The statements that led from the checked document to the file of a
  // location, the one in the checked document last; empty for a location in
  // the checked document.
  std::vector<IncludeStep> ChainOf(const kivg::SourceLocation& location) const;

  // Every normal absolute path the check asked for, found or not.
  const std::set<std::string>& pathsAsked() const {
    return files_.pathsAsked();
  }

  // The completed model, or null when the check stopped at an error.
  const kivg::Generator* model() const;

 private:
  void Report(const kivg::Diagnostic& diagnostic) override;

  DocumentFileSystem files_;
  kivg::GeneratorOptions options_;
  kivg::OutputNames names_;
  std::string mainFileName_;
  std::vector<kivg::Diagnostic> diagnostics_;
  std::unique_ptr<kivg::RunSequence> run_;
  bool complete_ = false;
};

}  // namespace kivls
