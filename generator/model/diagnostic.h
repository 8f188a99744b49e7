// A problem found in a spec, as a record: severity, message, location and,
// where the message refers to another place (the definition a redefinition
// replaces, the first binding of an internal name), that place. The checks
// and the run sequence report records to a DiagnosticSink and never know who
// listens: kivg prints each as one line, the language server turns it into
// an editor diagnostic.
#pragma once

#include <ostream>
#include <string>

#include "generator/frontend/source_element.h"

namespace kivg {

enum class Severity { kError, kWarning };

struct Diagnostic {
  Severity severity = Severity::kError;
  // The run sequence's own lines (lexical errors, files that cannot be
  // read, include cycles, limits) print without the severity word.
  bool fromDriver = false;
  std::string message;
  SourceLocation location;  // no file name: no location
  // The other place the message refers to, and what it is; no file name
  // when there is none.
  SourceLocation relatedLocation;
  std::string relatedMessage;
};

// The line kivg prints, with its end of line: "file:line:column: Error: text"
// ("Warning" for a warning); no location prefix without a location; no
// severity word for the driver's own lines.
std::string FormatDiagnostic(const Diagnostic& diagnostic);

class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void Report(const Diagnostic& diagnostic) = 0;
};

// Prints each record as its line and flushes, so that diagnostics and the
// progress lines on the other stream come out in the order they happened.
class DiagnosticPrinter : public DiagnosticSink {
 public:
  explicit DiagnosticPrinter(std::ostream& stream) : stream_(stream) {}
  void Report(const Diagnostic& diagnostic) override;

 private:
  std::ostream& stream_;
};

}  // namespace kivg
