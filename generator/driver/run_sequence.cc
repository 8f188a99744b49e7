#include "generator/driver/run_sequence.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "generator/driver/file_error.h"
#include "generator/model/name_numbering.h"
#include "generator/output/header_writer.h"
#include "generator/output/source_writer.h"
#include "generator/output/spec_file_writer.h"

namespace kivg {

namespace {

const char* LexicalErrorMessage(TokenType type) {
  switch (type) {
    case TokenType::UNEXPECTED_INDENT:
      return "Unexpected indentation";
    case TokenType::MISSING_INDENT:
      return "Missing indentation";
    case TokenType::MISMATCHED_INDENT:
      return "Mismatched indentation";
    case TokenType::INCONSISTENT_INDENT:
      return "Inconsistent whitespace in indentation";
    default:
      return "Bad token encountered";
  }
}

// Longest part of a bad token's text that a message shows.
constexpr size_t kShownTokenBytes = 64;

}  // namespace

std::string ShownTokenText(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  const size_t count = std::min(text.size(), kShownTokenBytes);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c > 0x7e) {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0xf];
    } else {
      shown += static_cast<char>(c);
    }
  }
  if (count < text.size()) shown += "...";
  return shown;
}

RunSequence::RunSequence(const GeneratorOptions& options,
                         const OutputNames& names, SourceFileSystem& files,
                         SearchPath searchPath, std::ostream& out,
                         DiagnosticSink& diagnostics)
    : options_(options),
      names_(names),
      files_(files),
      searchPath_(std::move(searchPath)),
      out_(out),
      diagnostics_(diagnostics),
      generator_(diagnostics, names.specName) {}

RunSequence::RunSequence(const GeneratorOptions& options,
                         const OutputNames& names, SourceFileSystem& files,
                         SearchPath searchPath, std::ostream& out,
                         std::ostream& err)
    : options_(options),
      names_(names),
      files_(files),
      searchPath_(std::move(searchPath)),
      out_(out),
      printer_(std::make_unique<DiagnosticPrinter>(err)),
      diagnostics_(*printer_),
      generator_(*printer_, names.specName) {}

void RunSequence::ReportLine(const SourceLocation& location,
                             std::string message) {
  Diagnostic diagnostic;
  diagnostic.fromDriver = true;
  diagnostic.message = std::move(message);
  diagnostic.location = location;
  diagnostics_.Report(diagnostic);
}

RunOutcome RunSequence::Run(OutputStreams outputs) {
  const RunOutcome read = Read();
  if (read != RunOutcome::kWritten) return read;

  // The names are numbered before the three writers, which only read the
  // numbers; a numbering failure still follows the spec file's line.
  // Diagnostics are flushed as they are reported, so a terminal shows them
  // and the progress lines in the order they happened.
  if (!options_.quiet)
    out_ << "Writing spec to " << names_.specPath << "\n" << std::flush;
  const ListedNames listed = NumberNames(generator_);
  WriteSpecFile(generator_, listed, outputs.spec);
  if (!options_.quiet)
    out_ << "Writing code to " << names_.headerPath << " and "
         << names_.sourcePath << "\n"
         << std::flush;
  WriteHeader(generator_, outputs.header);
  WriteSource(generator_, outputs.source, FileNamePart(names_.headerPath));
  return RunOutcome::kWritten;
}

RunOutcome RunSequence::Read() {
  generator_.QueueModule(names_.specName);
  for (;;) {
    std::vector<ModuleReference> references;
    const std::string module = generator_.StartNextModule(&references);
    if (module.empty()) break;
    if (!OpenModule(module, references)) return openFailure_;
    const RunOutcome outcome = ReadModule();
    if (outcome != RunOutcome::kWritten) return outcome;
  }
  generator_.headerFileName = FileNamePart(names_.headerPath);
  if (!generator_.Finalize()) return RunOutcome::kSpecError;
  return RunOutcome::kWritten;
}

bool RunSequence::OpenModule(const std::string& module,
                             const std::vector<ModuleReference>& references) {
  const std::string fileName = module + ".kivs";
  if (filesRead_.size() >= kMaxFilesRead) {
    for (const ModuleReference& reference : references)
      ReportLine(reference.location, "Too many source files read (limit " +
                                         std::to_string(kMaxFilesRead) +
                                         "): " + fileName);
    return false;
  }
  // The main spec is SOURCE exactly as typed, read once by the check before
  // the run; other modules are searched.
  const bool isMain = module == names_.specName;
  SourceText text;
  if (isMain && mainSourceSet_) {
    text = std::move(mainSource_);
    mainSourceSet_ = false;
  } else {
    text = isMain ? files_.Read(options_.source)
                  : FindSourceFile(files_, searchPath_, fileName);
  }
  if (text.status == SourceText::kReadFailed) {
    ReportLine(SourceLocation(),
               FileErrorMessage(FileAccess::kReading, text.path,
                                std::strerror(text.error)));
    return false;
  }
  if (text.status == SourceText::kOpenFailed) {
    if (references.empty())
      ReportLine(SourceLocation(),
                 FileErrorMessage(FileAccess::kOpening, options_.source,
                                  std::strerror(text.error)));
    for (const ModuleReference& reference : references) {
      ReportLine(
          reference.location,
          FileErrorMessage(
              FileAccess::kOpening, fileName, std::strerror(text.error),
              reference.alias != module ? reference.alias : std::string()));
    }
    return false;
  }
  if (const FileKey* output = OutputRead(text)) {
    for (const ModuleReference& reference : references)
      ReportLine(reference.location,
                 FileErrorMessage(FileAccess::kOpening, text.path,
                                  "Same file as " + output->path));
    openFailure_ = RunOutcome::kOutputAsSource;
    return false;
  }
  filesRead_.push_back(text.path);
  SourceOrigin origin;
  origin.path = text.path;
  if (!references.empty()) {
    origin.requestedAt = references.front().location;
    origin.imported = true;
  }
  sources_.emplace(fileName, std::move(origin));
  generator_.SetSource(fileName, true, false, SourceLocation());
  PushSource(std::move(text), fileName, SourceLocation());
  return true;
}

void RunSequence::PushSource(SourceText text, const std::string& name,
                             const SourceLocation& includeLocation) {
  SourceEntry entry;
  entry.name = name;
  entry.includeLocation = includeLocation;
  entry.lexer = std::make_unique<Lexer>(std::move(text.contents), name);
  entry.parser = std::make_unique<Parser>(generator_);
  sourceStack_.push_back(std::move(entry));
}

RunOutcome RunSequence::ReadModule() {
  while (!sourceStack_.empty()) {
    SourceEntry& top = sourceStack_.back();
    std::unique_ptr<Token> token(top.lexer->NextToken());
    generator_.currentLocation = token->location;
    if (IsErrorToken(token->type)) {
      ReportLexicalError(*token);
      return RunOutcome::kSpecError;
    }
    const TokenType type = token->type;
    if (type == TokenType::END) {
      token.reset();
      top.parser->Parse(TokenType::END, nullptr);
    } else {
      top.parser->Parse(type, token.release());
    }
    if (generator_.errorCount != 0) return RunOutcome::kSpecError;

    if (generator_.isLibrary) top.savedLibrary = true;
    // An include statement on a file's last line is only reduced when END
    // arrives, so the include check also follows END: the finished file is
    // popped once the included one ends.
    const bool includeRequested = generator_.currentSourceName != top.name;
    if (type == TokenType::END) top.finished = true;
    if (includeRequested) {
      if (!PushInclude()) return openFailure_;
    } else if (type == TokenType::END) {
      PopFinishedFiles();
    }
  }
  return RunOutcome::kWritten;
}

bool RunSequence::PushInclude() {
  const std::string requested = generator_.currentSourceName;
  // IncludeSource left the include statement's location here; the token
  // just fed may already be on a later line.
  const SourceLocation includeLocation = generator_.currentLocation;
  if (sourceStack_.size() >= kMaxIncludeDepth) {
    ReportLine(includeLocation, "Includes nested too deeply (limit " +
                                    std::to_string(kMaxIncludeDepth) +
                                    "): " + requested);
    return false;
  }
  if (filesRead_.size() >= kMaxFilesRead) {
    ReportLine(includeLocation, "Too many source files read (limit " +
                                    std::to_string(kMaxFilesRead) +
                                    "): " + requested);
    return false;
  }
  SourceText text = FindSourceFile(files_, searchPath_, requested);
  if (text.status == SourceText::kReadFailed) {
    ReportLine(SourceLocation(),
               FileErrorMessage(FileAccess::kReading, text.path,
                                std::strerror(text.error)));
    return false;
  }
  if (text.status == SourceText::kOpenFailed) {
    ReportLine(includeLocation,
               FileErrorMessage(FileAccess::kOpening, requested,
                                std::strerror(text.error)));
    return false;
  }
  for (const SourceEntry& entry : sourceStack_) {
    if (entry.name == text.path) {
      ReportLine(includeLocation, "Include cycle detected: " + text.path);
      return false;
    }
  }
  if (const FileKey* output = OutputRead(text)) {
    ReportLine(includeLocation,
               FileErrorMessage(FileAccess::kOpening, text.path,
                                "Same file as " + output->path));
    openFailure_ = RunOutcome::kOutputAsSource;
    return false;
  }
  const std::string path = text.path;
  filesRead_.push_back(path);
  sources_.emplace(path, SourceOrigin{path, includeLocation, false});
  generator_.SetSource(path, true, false, SourceLocation());
  PushSource(std::move(text), path, includeLocation);
  return true;
}

const FileKey* RunSequence::OutputRead(const SourceText& text) const {
  if (outputs_.empty()) return nullptr;
  FileKey key;
  key.path = text.path;
  key.resolved = ResolvePath(text.path);
  key.exists = text.identified;
  key.device = text.device;
  key.inode = text.inode;
  for (const FileKey& output : outputs_) {
    if (SameFile(key, output)) return &output;
  }
  return nullptr;
}

void RunSequence::PopFinishedFiles() {
  SourceLocation includeLocation;
  while (!sourceStack_.empty() && sourceStack_.back().finished) {
    includeLocation = sourceStack_.back().includeLocation;
    sourceStack_.pop_back();
  }
  if (sourceStack_.empty()) return;  // the module is finished
  const SourceEntry& resumed = sourceStack_.back();
  generator_.SetSource(resumed.name, false, resumed.savedLibrary,
                       includeLocation);
}

void RunSequence::ReportLexicalError(const Token& token) {
  std::string message = LexicalErrorMessage(token.type);
  if (!token.text.empty()) message += ": '" + ShownTokenText(token.text) + "'";
  if (!token.detail.empty()) message += ": " + token.detail;
  ReportLine(token.location, std::move(message));
}

}  // namespace kivg
