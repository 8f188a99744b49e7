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
                         std::ostream& err)
    : options_(options),
      names_(names),
      files_(files),
      searchPath_(std::move(searchPath)),
      out_(out),
      err_(err),
      generator_(err, names.specName) {}

RunOutcome RunSequence::Run(OutputStreams outputs) {
  if (!ReadSpec()) return failure_;
  WriteOutputs(outputs);
  return RunOutcome::kWritten;
}

bool RunSequence::ReadSpec() {
  generator_.QueueModule(names_.specName);
  for (;;) {
    std::vector<ModuleReference> references;
    const std::string module = generator_.StartNextModule(&references);
    if (module.empty()) break;
    if (!OpenModule(module, references) || !ReadModule()) return false;
  }
  generator_.headerFileName = FileNamePart(names_.headerPath);
  if (!generator_.Finalize()) return Fail(RunOutcome::kSpecError);
  return true;
}

void RunSequence::WriteOutputs(OutputStreams outputs) {
  // The names are numbered before the three writers, which only read the
  // numbers; a numbering failure still follows the spec file's line.
  // Diagnostics are buffered; what was reported so far goes out before the
  // progress lines, so a terminal shows both in the order they happened.
  err_.flush();
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
  const char* limit = nullptr;
  size_t bound = 0;
  if (sources_.size() >= kMaxIncludeDepth) {
    limit = "Includes nested too deeply";
    bound = kMaxIncludeDepth;
  } else if (filesRead_.size() >= kMaxFilesRead) {
    limit = "Too many source files read";
    bound = kMaxFilesRead;
  }
  if (limit != nullptr) {
    for (const ModuleReference& request : requests)
      err_ << FormatLocation(request.location) << ": " << limit << " (limit "
           << bound << "): " << ShownText(name) << "\n";
    return Fail(RunOutcome::kOpenError);
  }

  SourceText text = read();
  if (text.status == SourceText::kReadFailed) {
    err_ << FileErrorLine(FileAccess::kReading, ShownText(text.path),
                          std::strerror(text.error));
    return Fail(RunOutcome::kOpenError);
  }
  if (text.status == SourceText::kOpenFailed) {
    if (requests.empty())
      err_ << FileErrorLine(FileAccess::kOpening, options_.source,
                            std::strerror(text.error));
    for (const ModuleReference& request : requests) {
      err_ << FileErrorLine(
          request.location, FileAccess::kOpening, ShownText(name),
          std::strerror(text.error),
          request.alias != module ? request.alias : std::string());
    }
    return Fail(RunOutcome::kOpenError);
  }
  if (sources_.Holds(text.path)) {
    for (const ModuleReference& request : requests)
      err_ << FormatLocation(request.location)
           << ": Include cycle detected: " << ShownText(text.path) << "\n";
    return Fail(RunOutcome::kOpenError);
  }
  if (const FileKey* output = OutputRead(text)) {
    for (const ModuleReference& request : requests)
      err_ << FileErrorLine(request.location, FileAccess::kOpening,
                            ShownText(text.path),
                            "Same file as " + output->path);
    return Fail(RunOutcome::kOutputAsSource);
  }

  // A module's first file is named after the module, an included file
  // after the path it was found under.
  SourceEntry entry;
  entry.name = isInclude ? text.path : name;
  if (isInclude) entry.includeLocation = requests.front().location;
  filesRead_.push_back({text.path, text.resolvedPath});
  generator_.SetSource(entry.name, true, false, SourceLocation());
  entry.lexer = std::make_unique<Lexer>(std::move(text.contents), entry.name);
  entry.parser = std::make_unique<Parser>(generator_);
  sources_.Push(std::move(entry));
  return true;
}

bool RunSequence::ReadModule() {
  while (!sources_.empty()) {
    SourceEntry& top = sources_.top();
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
      sources_.PopFinished(generator_);
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
  err_ << FormatLocation(token.location) << ": "
       << LexicalErrorMessage(token.type);
  if (!token.text.empty()) err_ << ": '" << ShownTokenText(token.text) << "'";
  if (!token.detail.empty()) err_ << ": " << token.detail;
  err_ << "\n";
}

}  // namespace kivg
