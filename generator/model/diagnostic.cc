#include "generator/model/diagnostic.h"

namespace kivg {

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
  std::string line;
  if (diagnostic.location.HasFileName())
    line = FormatLocation(diagnostic.location) + ": ";
  if (!diagnostic.fromDriver)
    line += diagnostic.severity == Severity::kError ? "Error: " : "Warning: ";
  line += diagnostic.message;
  line += '\n';
  return line;
}

void DiagnosticPrinter::Report(const Diagnostic& diagnostic) {
  stream_ << FormatDiagnostic(diagnostic);
  stream_.flush();
}

}  // namespace kivg
