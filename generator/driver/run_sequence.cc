#include "generator/driver/run_sequence.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "generator/driver/file_error.h"
#include "generator/driver/shown_text.h"
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

}  // namespace

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
  WriteSource(generator_, outputs.source, generator_.headerFileName);
  return RunOutcome::kWritten;
}

RunOutcome RunSequence::Read() {
  generator_.QueueModule(names_.specName);
  for (;;) {
    std::vector<ModuleReference> references;
    const std::string module = generator_.StartNextModule(&references);
    if (module.empty()) break;
    if (!OpenModule(module, references) || !ReadModule()) return failure_;
  }
  generator_.headerFileName = FileNamePart(names_.headerPath);
  if (!generator_.Finalize()) return RunOutcome::kSpecError;
  return RunOutcome::kWritten;
}

bool RunSequence::OpenModule(const std::string& module,
                             const std::vector<ModuleReference>& references) {
  // The main spec is SOURCE exactly as typed, read once by the check before
  // the run; other modules are searched.
  const std::string fileName = module + ".kivs";
  const bool isMain = module == names_.specName;
  return OpenSource(
      fileName,
      [&] {
        if (isMain && mainSourceSet_) {
          mainSourceSet_ = false;
          return std::move(mainSource_);
        }
        return isMain ? files_.Read(options_.source)
                      : FindSourceFile(files_, searchPath_, fileName);
      },
      references, module, false);
}

bool RunSequence::PushInclude() {
  // IncludeSource left the include statement's location here; the token
  // just fed may already be on a later line.
  const std::string requested = generator_.currentSourceName;
  return OpenSource(
      requested, [&] { return FindSourceFile(files_, searchPath_, requested); },
      {ModuleReference{std::string(), generator_.currentLocation}},
      std::string(), true);
}

// The names in these lines come from the spec and are shown escaped, as a
// bad token's text is.
bool RunSequence::OpenSource(const std::string& name,
                             const std::function<SourceText()>& read,
                             const std::vector<ModuleReference>& requests,
                             const std::string& module, bool isInclude) {
  // A module's stack is empty when it is opened, so only includes can pass
  // the depth.
  std::string limit;
  if (stack_.size() >= kMaxIncludeDepth)
    limit = "Includes nested too deeply (limit " +
            std::to_string(kMaxIncludeDepth) + "): ";
  else if (filesRead_.size() >= kMaxFilesRead)
    limit = "Too many source files read (limit " +
            std::to_string(kMaxFilesRead) + "): ";
  if (!limit.empty()) {
    for (const ModuleReference& request : requests)
      ReportLine(request.location, limit + ShownText(name));
    return Fail(RunOutcome::kOpenError);
  }

  SourceText text = read();
  if (text.status == SourceText::kReadFailed) {
    ReportLine(SourceLocation(),
               FileErrorMessage(FileAccess::kReading, ShownText(text.path),
                                std::strerror(text.error)));
    return Fail(RunOutcome::kOpenError);
  }
  if (text.status == SourceText::kOpenFailed) {
    if (requests.empty())
      ReportLine(SourceLocation(),
                 FileErrorMessage(FileAccess::kOpening, options_.source,
                                  std::strerror(text.error)));
    for (const ModuleReference& request : requests) {
      ReportLine(
          request.location,
          FileErrorMessage(
              FileAccess::kOpening, ShownText(name), std::strerror(text.error),
              request.alias != module ? request.alias : std::string()));
    }
    return Fail(RunOutcome::kOpenError);
  }
  if (stack_.Holds(text.path)) {
    for (const ModuleReference& request : requests)
      ReportLine(request.location,
                 "Include cycle detected: " + ShownText(text.path));
    return Fail(RunOutcome::kOpenError);
  }
  if (const FileKey* output = OutputRead(text)) {
    for (const ModuleReference& request : requests)
      ReportLine(request.location,
                 FileErrorMessage(FileAccess::kOpening, ShownText(text.path),
                                  "Same file as " + output->path));
    return Fail(RunOutcome::kOutputAsSource);
  }

  // A module's first file is named after the module, an included file
  // after the path it was found under.
  SourceEntry entry;
  entry.name = isInclude ? text.path : name;
  SourceOrigin origin;
  origin.path = text.path;
  if (!requests.empty()) {
    origin.requestedAt = requests.front().location;
    origin.imported = !isInclude;
  }
  if (isInclude) entry.includeLocation = requests.front().location;
  sources_.emplace(entry.name, std::move(origin));
  filesRead_.push_back({text.path, text.resolvedPath});
  generator_.SetSource(entry.name, true, false, SourceLocation());
  entry.lexer = std::make_unique<Lexer>(std::move(text.contents), entry.name);
  entry.parser = std::make_unique<Parser>(generator_);
  stack_.Push(std::move(entry));
  return true;
}

bool RunSequence::ReadModule() {
  while (!stack_.empty()) {
    SourceEntry& top = stack_.top();
    std::unique_ptr<Token> token(top.lexer->NextToken());
    generator_.currentLocation = token->location;
    if (IsErrorToken(token->type)) {
      ReportLexicalError(*token);
      return Fail(RunOutcome::kSpecError);
    }
    const TokenType type = token->type;
    if (type == TokenType::END) {
      token.reset();
      top.parser->Parse(TokenType::END, nullptr);
    } else {
      top.parser->Parse(type, token.release());
    }
    if (generator_.errorCount != 0) return Fail(RunOutcome::kSpecError);

    if (generator_.isLibrary) top.savedLibrary = true;
    // An include statement on a file's last line is only reduced when END
    // arrives, so the include check also follows END: the finished file is
    // popped once the included one ends.
    const bool includeRequested = generator_.currentSourceName != top.name;
    if (type == TokenType::END) top.finished = true;
    if (includeRequested) {
      if (!PushInclude()) return false;
    } else if (type == TokenType::END) {
      stack_.PopFinished(generator_);
    }
  }
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

void RunSequence::ReportLexicalError(const Token& token) {
  std::string message = LexicalErrorMessage(token.type);
  if (!token.text.empty()) message += ": '" + ShownTokenText(token.text) + "'";
  if (!token.detail.empty()) message += ": " + token.detail;
  ReportLine(token.location, std::move(message));
}

}  // namespace kivg
