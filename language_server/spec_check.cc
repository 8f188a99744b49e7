#include "language_server/spec_check.h"

#include <new>
#include <sstream>

namespace kivls {

namespace {

// A file can only be asked for by one read before it, so following the
// origins ends; the bound only guards against a name read under two
// origins that point at each other.
constexpr size_t kMaxChainSteps = 1000;

}  // namespace

SpecCheck::SpecCheck(const std::string& source, std::string text,
                     DocumentFileSystem::OpenText openText,
                     const std::string& root, kivg::SearchPath searchPath)
    : files_(std::move(openText), root) {
  options_.quiet = true;
  options_.source = source;
  // kivg checks SOURCE's name before it reads anything; its complaint is
  // this check's only diagnostic.
  std::ostringstream nameError;
  if (!kivg::DeriveOutputNames(options_, &names_, nameError)) {
    kivg::Diagnostic diagnostic;
    diagnostic.fromDriver = true;
    diagnostic.message = nameError.str();
    while (!diagnostic.message.empty() && diagnostic.message.back() == '\n')
      diagnostic.message.pop_back();
    diagnostics_.push_back(diagnostic);
    return;
  }
  mainFileName_ = names_.specName + ".kivs";

  std::ostringstream progress;
  try {
    run_ = std::make_unique<kivg::RunSequence>(
        options_, names_, files_, std::move(searchPath), progress,
        static_cast<kivg::DiagnosticSink&>(*this));
    kivg::SourceText main;
    main.status = kivg::SourceText::kRead;
    main.path = source;
    main.contents = std::move(text);
    run_->SetMainSource(std::move(main));
    complete_ = run_->Read() == kivg::RunOutcome::kWritten;
  } catch (const std::string& internal) {
    // As kivg's outermost handler prints it; the model is not to be trusted.
    kivg::Diagnostic diagnostic;
    diagnostic.fromDriver = true;
    diagnostic.message = "Error: " + internal;
    diagnostics_.push_back(diagnostic);
    complete_ = false;
  } catch (const std::bad_alloc&) {
    kivg::Diagnostic diagnostic;
    diagnostic.fromDriver = true;
    diagnostic.message = "Error: Out of memory";
    diagnostics_.push_back(diagnostic);
    complete_ = false;
  }
}

SpecCheck::~SpecCheck() = default;

void SpecCheck::Report(const kivg::Diagnostic& diagnostic) {
  diagnostics_.push_back(diagnostic);
}

const kivg::Generator* SpecCheck::model() const {
  return complete_ ? &run_->generator() : nullptr;
}

std::string SpecCheck::PathOf(const std::string& fileName) const {
  if (!run_) return {};
  // The main module's name is the checked document whatever else it names.
  if (fileName == mainFileName_) return {};
  const auto& sources = run_->sources();
  const auto found = sources.find(fileName);
  if (found == sources.end()) return {};
  return files_.Resolve(found->second.path);
}

std::vector<IncludeStep> SpecCheck::ChainOf(
    const kivg::SourceLocation& location) const {
  std::vector<IncludeStep> chain;
  if (!run_) return chain;
  const auto& sources = run_->sources();
  std::string name = location.fileName.str();
  while (name != mainFileName_ && chain.size() < kMaxChainSteps) {
    const auto found = sources.find(name);
    if (found == sources.end() || !found->second.requestedAt.HasFileName())
      break;
    chain.push_back({found->second.requestedAt, found->second.imported});
    name = found->second.requestedAt.fileName.str();
  }
  return chain;
}

}  // namespace kivls
