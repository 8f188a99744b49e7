#include "generator/driver/run_sequence.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "generator/driver/dependency_file.h"
#include "generator/driver/output_files.h"
#include "generator/model/name_numbering.h"
#include "generator/output/header_writer.h"
#include "generator/output/source_writer.h"
#include "generator/output/spec_file_writer.h"

using kivg::FormatLocation;
using kivg::IsErrorToken;
using kivg::Lexer;
using kivg::ListedNames;
using kivg::ModuleReference;
using kivg::NumberNames;
using kivg::Parser;
using kivg::SourceLocation;
using kivg::Token;
using kivg::TokenType;
using kivg::WriteHeader;
using kivg::WriteSource;
using kivg::WriteSpecFile;

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

// Writes the dependency file named by KIV_SPEC_DEPFILE, if any. Only a run
// whose outputs were all written gets here: after a failure a build tool
// must find no rule claiming the outputs are up to date.
bool WriteDependencies(const OutputNames& names,
                       const std::vector<std::string>& filesRead,
                       std::ostream& err) {
  const char* path = std::getenv("KIV_SPEC_DEPFILE");
  if (path == nullptr || *path == '\0') return true;
  DependencyFile dependencies(
      {names.specPath, names.headerPath, names.sourcePath});
  for (const std::string& file : filesRead) dependencies.AddPrerequisite(file);
  return WriteDependencyFile(dependencies, path, err);
}

// The model of a large spec is millions of small heap blocks. Handing them
// back one by one just before the process ends costs more than a writer's
// pass over them, so the last run is kept here, reachable (leak checkers do
// not count it as lost), until the process ends or the next run replaces it.
std::unique_ptr<RunSequence>* lastRun = nullptr;

}  // namespace

RunSequence::RunSequence(const GeneratorOptions& options,
                         const OutputNames& names, SourceFileSystem& files,
                         SearchPath searchPath, std::ostream& out,
                         std::ostream& err)
    : options_(options), names_(names), files_(files),
      searchPath_(std::move(searchPath)), out_(out), err_(err),
      generator_(err, names.specName) {}

RunOutcome RunSequence::Run(OutputStreams outputs) {
  generator_.QueueModule(names_.specName);
  for (;;) {
    std::vector<ModuleReference> references;
    const std::string module = generator_.StartNextModule(&references);
    if (module.empty()) break;
    if (!OpenModule(module, references)) return RunOutcome::kOpenError;
    const RunOutcome outcome = ReadModule();
    if (outcome != RunOutcome::kWritten) return outcome;
  }
  generator_.headerFileName = FileNamePart(names_.headerPath);
  if (!generator_.Finalize()) return RunOutcome::kSpecError;

  // The names are numbered before the three writers, which only read the
  // numbers; a numbering failure still follows the spec file's line.
  if (!options_.quiet) out_ << "Writing spec to " << names_.specPath << "\n";
  const ListedNames listed = NumberNames(generator_);
  WriteSpecFile(generator_, listed, outputs.spec);
  if (!options_.quiet)
    out_ << "Writing code to " << names_.headerPath << " and "
         << names_.sourcePath << "\n";
  WriteHeader(generator_, outputs.header);
  WriteSource(generator_, outputs.source, FileNamePart(names_.headerPath));
  return RunOutcome::kWritten;
}

bool RunSequence::OpenModule(const std::string& module,
                             const std::vector<ModuleReference>& references) {
  const std::string fileName = module + ".kivs";
  // The main spec is SOURCE exactly as typed; other modules are searched.
  SourceText text = module == names_.specName
                        ? files_.Read(options_.source)
                        : FindSourceFile(files_, searchPath_, fileName);
  if (text.status == SourceText::kReadFailed) {
    err_ << "Error reading " << text.path << ": " << std::strerror(text.error)
         << "\n";
    return false;
  }
  if (text.status == SourceText::kOpenFailed) {
    if (references.empty())
      err_ << "Error opening " << options_.source << ": "
           << std::strerror(text.error) << "\n";
    for (const ModuleReference& reference : references) {
      err_ << FormatLocation(reference.location) << ": Error opening "
           << fileName;
      if (reference.alias != module)
        err_ << " imported as '" << reference.alias << "'";
      err_ << ": " << std::strerror(text.error) << "\n";
    }
    return false;
  }
  filesRead_.push_back(text.path);
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
      if (!PushInclude()) return RunOutcome::kOpenError;
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
  SourceText text = FindSourceFile(files_, searchPath_, requested);
  if (text.status == SourceText::kReadFailed) {
    err_ << "Error reading " << text.path << ": " << std::strerror(text.error)
         << "\n";
    return false;
  }
  if (text.status == SourceText::kOpenFailed) {
    err_ << FormatLocation(includeLocation) << ": Error opening " << requested
         << ": " << std::strerror(text.error) << "\n";
    return false;
  }
  for (const SourceEntry& entry : sourceStack_) {
    if (entry.name == text.path) {
      err_ << FormatLocation(includeLocation)
           << ": Include cycle detected: " << text.path << "\n";
      return false;
    }
  }
  const std::string path = text.path;
  filesRead_.push_back(path);
  generator_.SetSource(path, true, false, SourceLocation());
  PushSource(std::move(text), path, includeLocation);
  return true;
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
  err_ << FormatLocation(token.location) << ": "
       << LexicalErrorMessage(token.type);
  if (!token.text.empty()) err_ << ": '" << token.text << "'";
  if (!token.detail.empty()) err_ << ": " << token.detail;
  err_ << "\n";
}

int RunGenerator(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  GeneratorOptions options;
  switch (ParseCommandLine(args, &options, out, err)) {
    case CommandLineAction::ExitSuccess:
      return 0;
    case CommandLineAction::ExitFailure:
      return 1;
    case CommandLineAction::Run:
      break;
  }
  OutputNames names;
  if (!DeriveOutputNames(options, &names, err)) return 1;

  // SOURCE must be readable before any output is created.
  DiskFileSystem files;
  {
    const SourceText check = files.Read(options.source);
    if (check.status != SourceText::kRead) {
      err << (check.status == SourceText::kOpenFailed ? "Error opening "
                                                      : "Error reading ")
          << options.source << ": " << std::strerror(check.error) << "\n";
      return 1;
    }
  }

  OutputFiles outputs;
  if (!outputs.Create(names, err)) return 1;
  RunOutcome outcome;
  std::vector<std::string> filesRead;
  try {
    if (lastRun == nullptr) lastRun = new std::unique_ptr<RunSequence>;
    lastRun->reset();
    *lastRun = std::make_unique<RunSequence>(
        options, names, files,
        ParseSearchPath(std::getenv("KIV_SPEC_INCLUDE")), out, err);
    RunSequence& run = **lastRun;
    outcome = run.Run({outputs.spec(), outputs.header(), outputs.source()});
    filesRead = run.filesRead();
  } catch (...) {
    // Partly written outputs must not survive an internal error either.
    outputs.Remove();
    throw;
  }
  switch (outcome) {
    case RunOutcome::kWritten:
      if (outputs.Close(true, err)) return 2;
      return WriteDependencies(names, filesRead, err) ? 0 : 2;
    case RunOutcome::kSpecError:
      err << "Ended in ERROR\n";
      outputs.Remove();
      return 1;
    case RunOutcome::kOpenError:
      outputs.Remove();
      return 1;
  }
  return 1;
}
