#include "standalone/runner.h"

#include <kiv.h>
#include <kivd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/regular_file.h"
#include "cli/version.h"
#include "standalone/built_in_specs.h"
#include "standalone/code_loader.h"
#include "standalone/interrupt.h"
#include "standalone/open_file_set.h"
#include "standalone/result_code_text.h"
#include "standalone/runner_command_line.h"
#include "standalone/runner_context.h"
#include "standalone/standard_output.h"

namespace kivs {

namespace {

const char kScriptSuffix[] = ".kive";
constexpr std::size_t kScriptSuffixLength = sizeof kScriptSuffix - 1;

struct OpenAttempt {
  std::FILE* file = nullptr;
  std::string name;
  int error = 0;
};

// A directory opens fine but is no executable: it counts as an open that
// failed, so the name with the suffix is tried next. A FIFO or device is
// read as it comes, like a pipe; opening it never waits for a writer.
OpenAttempt TryOpen(const std::string& name) {
  OpenAttempt attempt;
  attempt.name = name;
  struct stat status {};
  const int descriptor = cli::OpenForReading(name.c_str(), &status);
  if (descriptor == -1) {
    attempt.error = errno;
    return attempt;
  }
  if (S_ISDIR(status.st_mode)) {
    close(descriptor);
    attempt.error = EISDIR;
    return attempt;
  }
  attempt.file = fdopen(descriptor, "rb");
  if (attempt.file == nullptr) {
    attempt.error = errno;
    close(descriptor);
  }
  return attempt;
}

// Opens SCRIPT, else SCRIPT + ".kive". When both fail, the report names the
// first attempt that failed for a reason other than a missing file, so an
// unreadable executable is not reported as missing under another name.
OpenAttempt OpenScript(const std::string& script) {
  OpenAttempt plain = TryOpen(script);
  if (plain.file != nullptr) return plain;
  OpenAttempt suffixed = TryOpen(script + kScriptSuffix);
  if (suffixed.file != nullptr) return suffixed;
  if (plain.error != ENOENT) return plain;
  return suffixed;
}

// Memory for the engine, never thrown for. Sizes no object can have fail
// before they reach the allocator.
std::unique_ptr<uint8_t[]> AllocateArea(std::size_t size) {
  if (size >
      static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()))
    return nullptr;
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

void PrintVersion(const char* label, const uint8_t version[4]) {
  std::printf("%s%u.%u.%u.%u\n", label, version[0], version[1], version[2],
              version[3]);
}

std::string SourceInfoName(const std::string& scriptName) {
  const std::size_t keep = scriptName.size() < kScriptSuffixLength
                               ? scriptName.size()
                               : scriptName.size() - kScriptSuffixLength;
  return scriptName.substr(0, keep) + ".kivd";
}

class Runner {
 public:
  explicit Runner(const RunnerSettings& settings) : settings_(settings) {}

  // Runs an executable that is open and held in openFiles_.
  int Run(std::FILE* file, const std::string& name,
          const std::vector<const char*>& arguments);

  OpenFileSet& openFiles() { return openFiles_; }

 private:
  KivRunResult StepUntilDone();
  void ReportFailure(KivRunResult result, const std::string& name);

  RunnerSettings settings_;
  OpenFileSet openFiles_;
  KivEngine engine_{};
  RunnerContext context_;
  std::unique_ptr<uint8_t[]> codeArea_;
  std::unique_ptr<uint8_t[]> dataArea_;
  // Holds the executable buffer of whole mode, which the engine runs from.
  std::unique_ptr<CodeLoader> loader_;
};

int Runner::Run(std::FILE* file, const std::string& name,
                const std::vector<const char*>& arguments) {
  EngineAreas areas;
  const std::size_t entrySize = KivDataEntrySize();
  const bool dataSizeOverflows =
      entrySize != 0 && settings_.dataEntryCount >
                            std::numeric_limits<std::size_t>::max() / entrySize;
  areas.dataSize = dataSizeOverflows ? 0 : entrySize * settings_.dataEntryCount;
  if (settings_.codeSize != 0) {
    codeArea_ = AllocateArea(settings_.codeSize);
    if (!codeArea_) {
      std::fputs("Error allocating engine code area\n", stderr);
      return 2;
    }
    areas.code = codeArea_.get();
    areas.codeSize = settings_.codeSize;
  }
  if (!dataSizeOverflows) dataArea_ = AllocateArea(areas.dataSize);
  if (!dataArea_) {
    std::fputs("Error allocating engine data area\n", stderr);
    return 2;
  }
  areas.data = dataArea_.get();

  loader_ = std::make_unique<CodeLoader>(engine_, areas, context_, openFiles_);
  const BuiltInSpecList specs = MakeBuiltInSpecList();
  const BuiltInSpec* chosen =
      loader_->LoadExecutable(specs, file, name, settings_);
  if (chosen == nullptr) return 2;
  if (settings_.verbose) {
    std::printf("App spec: %s\n", chosen->displayName);
    uint8_t version[4] = {};
    KivCodeVersion(&engine_, version);
    PrintVersion("Code version: ", version);
  }

  std::vector<const char*> scriptArguments(arguments);
  scriptArguments.push_back(nullptr);
  const KivRunResult argumentsSet =
      KivSetArguments(&engine_, scriptArguments.data());
  if (argumentsSet != KivRunResult_OK) {
    std::fprintf(stderr, "Arguments error %s: %s\n",
                 ResultCodeText(argumentsSet).c_str(),
                 KivRunResultToString(argumentsSet));
    return 2;
  }

  InstallInterruptHandler();
  context_.waiting = false;
  const KivRunResult result = StepUntilDone();
  if (openFiles_.Contains(file)) openFiles_.Close(file);
  if (result != KivRunResult_Complete) ReportFailure(result, name);
  if (settings_.verbose) {
    std::printf("Low free count: %zu (max %zu)\n", KivLowFreeCount(&engine_),
                KivMaxDataSize(&engine_));
    if (settings_.codePageSize != 0)
      std::printf("Code page read count: %zu\n",
                  KivCodePageReadCount(&engine_, false));
  }
  KivReset(&engine_);
  return result == KivRunResult_Complete ? 0 : 2;
}

KivRunResult Runner::StepUntilDone() {
  KivRunResult result = KivRunResult_OK;
  // Output that can no longer be written (a closed pipe, a full disk) ends
  // the run as an interrupt does: a script that prints without end would
  // otherwise run on for ever into a reader that is gone.
  while (!interrupted && result == KivRunResult_OK && OutputError() == 0) {
    result = KivStep(&engine_);
    if (context_.waiting) {
      // What the script printed before the wait is seen before it, not
      // when the buffer fills or the run ends.
      FlushOutput();
      WaitUntil(context_.wakeTime);
      context_.waiting = false;
    }
  }
  return result;
}

void Runner::ReportFailure(KivRunResult result, const std::string& name) {
  if (interrupted) std::fputs("Run was INTERRUPTED!\n", stdout);
  // The script's output comes before the report that follows it, also when
  // both streams go to one log.
  FlushOutput();
  if (result != KivRunResult_OK)
    std::fprintf(stderr, "Run error 0x%02X: %s\n",
                 static_cast<uint32_t>(result), KivRunResultToString(result));
  const std::size_t programCounter = KivProgramCounter(&engine_);
  std::fprintf(stderr, "Program counter: 0x%07zX", programCounter);
  // A FIFO or device in the source-info file's place would hang the report
  // or feed the library without end: only a regular file is loaded.
  const std::string infoName = SourceInfoName(name);
  KivSourceInfo* info = cli::RegularFileError(infoName.c_str()) == 0
                            ? KivLoadSourceInfoFromFile(infoName.c_str())
                            : nullptr;
  if (info != nullptr) {
    const KivSourceLocation location =
        KivGetSourceLocation(info, static_cast<uint32_t>(programCounter));
    if (location.fileName != nullptr)
      std::fprintf(stderr, "; %s:%u:%u", location.fileName, location.line,
                   location.column);
    KivUnloadSourceInfo(info);
  }
  std::fputc('\n', stderr);
}

}  // namespace

int RunStandalone(int argc, char** argv) {
  const RunnerCommandLine line = ParseRunnerCommandLine(argc, argv);
  if (line.exit) return line.exitStatus;
  const RunnerSettings& settings = line.settings;
  if (settings.verbose) {
    const int* own = cli::kToolchainVersion;
    std::printf("Kiv standalone application version %d.%d.%d.%d\n", own[0],
                own[1], own[2], own[3]);
    uint8_t engine[4] = {};
    KivEngineVersion(engine);
    PrintVersion("Engine version: ", engine);
  }
  if (line.scriptIndex >= argc) {
    if (settings.verbose) return 0;
    std::fputs("No program specified\n", stderr);
    PrintRunnerUsage(stderr);
    return 1;
  }

  const OpenAttempt opened = OpenScript(argv[line.scriptIndex]);
  if (opened.file == nullptr) {
    std::fprintf(stderr, "Error opening %s: %s\n", opened.name.c_str(),
                 std::strerror(opened.error));
    return 1;
  }
  Runner runner(settings);
  runner.openFiles().Add(opened.file);
  const std::vector<const char*> arguments(argv + line.scriptIndex + 1,
                                           argv + argc);
  const int status = runner.Run(opened.file, opened.name, arguments);
  runner.openFiles().CloseAll();
  return status;
}

}  // namespace kivs
