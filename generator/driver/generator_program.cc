#include "generator/driver/generator_program.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "cli/descriptor_buffer.h"
#include "generator/driver/dependency_file.h"
#include "generator/driver/file_error.h"
#include "generator/driver/output_set.h"
#include "generator/driver/run_sequence.h"

namespace kivg {

namespace {

// The dependency file of a run whose outputs were all written: every file
// read, by the path it was opened under.
DependencyFile DependenciesOf(const OutputNames& names,
                              const std::vector<FileRead>& filesRead) {
  DependencyFile dependencies(
      {names.specPath, names.headerPath, names.sourcePath});
  for (const FileRead& file : filesRead)
    dependencies.AddPrerequisite(file.resolvedPath.empty() ? file.path
                                                           : file.resolvedPath);
  return dependencies;
}

// The model of a large spec is millions of small heap blocks. Handing them
// back one by one just before the process ends costs more than a writer's
// pass over them, so the last run is kept here, reachable (leak checkers do
// not count it as lost), until the process ends or the next run replaces it.
std::unique_ptr<RunSequence>* lastRun = nullptr;

}  // namespace

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

  const char* depfileVariable = std::getenv("KIV_SPEC_DEPFILE");
  const std::string depfile = depfileVariable ? depfileVariable : "";

  // SOURCE must be readable before any output is created. This read is the
  // only one: the run takes its text over.
  DiskFileSystem files;
  SourceText mainSource = files.Read(options.source);
  if (mainSource.status != SourceText::kRead) {
    err << FileErrorLine(mainSource.status == SourceText::kOpenFailed
                             ? FileAccess::kOpening
                             : FileAccess::kReading,
                         options.source, std::strerror(mainSource.error));
    return 1;
  }

  OutputSet outputs;
  if (!outputs.Create(names, options.source, depfile, err)) return 1;
  RunOutcome outcome;
  std::vector<FileRead> filesRead;
  try {
    if (lastRun == nullptr) lastRun = new std::unique_ptr<RunSequence>;
    lastRun->reset();
    *lastRun = std::make_unique<RunSequence>(
        options, names, files, ParseSearchPath(std::getenv("KIV_SPEC_INCLUDE")),
        out, err);
    RunSequence& run = **lastRun;
    run.SetMainSource(std::move(mainSource));
    run.ProtectOutputs(outputs.keys());
    outcome = run.Run({outputs.spec(), outputs.header(), outputs.source()});
    filesRead = run.filesRead();
  } catch (...) {
    // Partly written outputs must not survive an internal error either.
    outputs.Remove();
    throw;
  }
  switch (outcome) {
    case RunOutcome::kWritten:
      // Nothing is put into place unless all three were written whole.
      if (!outputs.Close(err)) {
        outputs.Remove();
        return 2;
      }
      return outputs.Commit(DependenciesOf(names, filesRead), err) ? 0 : 2;
    case RunOutcome::kSpecError:
      err << "Ended in ERROR\n";
      outputs.Remove();
      return 1;
    case RunOutcome::kOpenError:
      outputs.Remove();
      return 1;
    case RunOutcome::kOutputAsSource:
      outputs.Discard();
      return 1;
  }
  return 1;
}

int GeneratorMain(const std::vector<std::string>& args) {
  cli::DescriptorBuffer outBuffer(STDOUT_FILENO), errBuffer(STDERR_FILENO);
  std::ostream out(&outBuffer), err(&errBuffer);
  int status = 1;
  try {
    status = RunGenerator(args, out, err);
  } catch (const std::string& text) {
    err << "Error: " << text << "\n";
  } catch (...) {
    err << "Unknown error\n";
  }
  out.flush();
  if (outBuffer.error() != 0) {
    err << FileErrorLine(FileAccess::kWriting, "standard output",
                         std::strerror(outBuffer.error()));
    if (status == 0) status = 1;
  }
  err.flush();
  return status;
}

}  // namespace kivg
