#include "standalone/code_loader.h"

#include <kivd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "standalone/result_code_text.h"

namespace kivs {

namespace {

// The page count travels in one byte.
constexpr std::size_t kMaxCodePages = 255;

// Whole mode first shows the engine this many bytes through a code area of
// the same size: far more than any executable's header.
constexpr std::size_t kHeadSize = 4096;

std::string AddCodeErrorText(const char* what, KivAddCodeResult result) {
  return std::string(what) + " " + ResultCodeText(result) + ": " +
         KivAddCodeResultToString(result);
}

void PrintLine(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace

int32_t ReadCodePage(void* id, uint32_t offset, std::size_t* size,
                     uint8_t* buffer) {
  std::FILE* file = static_cast<std::FILE*>(id);
  if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
    return std::ferror(file) ? kCodeReaderFileError : kCodeReaderSeekFailed;
  const std::size_t count = std::fread(buffer, 1, *size, file);
  if (std::ferror(file)) return kCodeReaderFileError;
  // A short read at the end of the file is no error: the count tells.
  *size = count;
  return kCodeReaderOk;
}

CodeLoader::CodeLoader(KivEngine& engine, const EngineAreas& areas,
                       RunnerContext& context, OpenFileSet& openFiles,
                       FileSizeFunction sizeOf)
    : engine_(engine),
      areas_(areas),
      context_(context),
      openFiles_(openFiles),
      sizeOf_(sizeOf) {}

const BuiltInSpec* CodeLoader::LoadExecutable(const BuiltInSpecList& specs,
                                              std::FILE* file,
                                              const std::string& name,
                                              RunnerSettings& settings) {
  std::string errorText;
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const KivRunResult initialized =
        KivInitialize(&engine_, areas_.code, areas_.codeSize, areas_.data,
                      areas_.dataSize, specs[i].spec, &context_);
    if (initialized != KivRunResult_OK) {
      std::fprintf(stderr, "Initialize error %s: %s\n",
                   ResultCodeText(initialized).c_str(),
                   KivRunResultToString(initialized));
      return nullptr;
    }
    const Attempt attempt =
        settings.codeSize == 0 ? LoadWhole(specs[i].spec, file, name, settings)
        : settings.codePageSize == 0 ? LoadBytes(file, name)
                                     : LoadPaged(file, settings);
    if (attempt.failed) return nullptr;
    if (attempt.result == KivAddCodeResult_OK) return &specs[i];
    errorText = attempt.errorText;
    if (attempt.result != KivAddCodeResult_InvalidCheckValue) break;
    if (i + 1 < specs.size()) {
      // A pipe cannot be rewound; going on would feed the next spec only
      // the rest of the stream.
      errno = 0;
      if (std::fseek(file, 0, SEEK_SET) != 0) {
        PrintLine(ReadErrorText(name, errno));
        return nullptr;
      }
    }
  }
  PrintLine(errorText);
  return nullptr;
}

// A file read whole may be up to 2 GiB, and a device such as /dev/zero has
// no size at all. Byte by byte, the engine refuses a foreign executable as
// soon as its header shows it; so before the whole read, the engine gets the
// file's first bytes that way, in a small code area of the runner's, and
// only code it does not refuse is read whole. A refusal is reported as the
// seal of the whole file would report it. The runner itself still reads
// nothing into the bytes: where the header ends is the engine's business.
bool CodeLoader::ShowsForeignHead(const KivAppSpec* spec, std::FILE* file,
                                  const std::string& name, Attempt* attempt) {
  std::vector<uint8_t> head(kHeadSize);
  errno = 0;
  const std::size_t count = std::fread(head.data(), 1, head.size(), file);
  if (std::ferror(file)) {
    PrintLine(ReadErrorText(name, errno));
    attempt->failed = true;
    return true;
  }
  // An empty file is left to the whole read, which reports it.
  if (count == 0) return false;
  std::vector<uint8_t> codeArea(kHeadSize);
  if (KivInitialize(&engine_, codeArea.data(), codeArea.size(), areas_.data,
                    areas_.dataSize, spec, &context_) != KivRunResult_OK)
    return false;  // the engine takes no such area: no early look
  const KivAddCodeResult result = KivAddCode(&engine_, head.data(), count);
  if (result == KivAddCodeResult_OK) return false;
  attempt->result = result;
  attempt->errorText = AddCodeErrorText("Seal error", result);
  return true;
}

CodeLoader::Attempt CodeLoader::LoadWhole(const KivAppSpec* spec,
                                          std::FILE* file,
                                          const std::string& name,
                                          RunnerSettings& settings) {
  Attempt attempt;
  if (settings.codePageSize != 0) {
    std::fputs("WARNING: Code page size ignored\n", stderr);
    settings.codePageSize = 0;
  }
  if (ShowsForeignHead(spec, file, name, &attempt)) return attempt;
  const KivRunResult initialized = KivInitialize(
      &engine_, nullptr, 0, areas_.data, areas_.dataSize, spec, &context_);
  if (initialized != KivRunResult_OK) {
    std::fprintf(stderr, "Initialize error %s: %s\n",
                 ResultCodeText(initialized).c_str(),
                 KivRunResultToString(initialized));
    attempt.failed = true;
    return attempt;
  }
  WholeExecutable executable = ReadWholeExecutable(file, name, sizeOf_);
  if (!executable.bytes) {
    PrintLine(executable.error);
    attempt.failed = true;
    return attempt;
  }
  attempt.result =
      KivSealCode(&engine_, executable.bytes.get(), executable.size);
  if (attempt.result == KivAddCodeResult_OK) {
    executable_ = std::move(executable.bytes);
    openFiles_.Close(file);
  } else {
    attempt.errorText = AddCodeErrorText("Seal error", attempt.result);
  }
  return attempt;
}

CodeLoader::Attempt CodeLoader::LoadBytes(std::FILE* file,
                                          const std::string& name) {
  Attempt attempt;
  errno = 0;
  int next = std::fgetc(file);
  while (true) {
    if (std::ferror(file)) {
      PrintLine(ReadErrorText(name, errno));
      attempt.failed = true;
      return attempt;
    }
    if (next == EOF) {
      attempt.result = KivSeal(&engine_);
      if (attempt.result != KivAddCodeResult_OK)
        attempt.errorText = AddCodeErrorText("Seal error", attempt.result);
      break;
    }
    const uint8_t byte = static_cast<uint8_t>(next);
    attempt.result = KivAddCode(&engine_, &byte, 1);
    if (attempt.result != KivAddCodeResult_OK) {
      attempt.errorText = AddCodeErrorText("Load error", attempt.result);
      break;
    }
    next = std::fgetc(file);
  }
  if (attempt.result == KivAddCodeResult_OK) openFiles_.Close(file);
  return attempt;
}

CodeLoader::Attempt CodeLoader::LoadPaged(std::FILE* file,
                                          const RunnerSettings& settings) {
  Attempt attempt;
  std::size_t pages = settings.codeSize / settings.codePageSize;
  if (pages == 0) {
    std::fputs("Code page size is larger than available code area.\n", stderr);
    attempt.failed = true;
    return attempt;
  }
  if (pages > kMaxCodePages) {
    std::fprintf(stderr, "WARNING: Number of code pages limited to %zu\n",
                 kMaxCodePages);
    pages = kMaxCodePages;
  }
  const KivRunResult paging =
      KivSetCodePaging(&engine_, static_cast<uint8_t>(pages),
                       settings.codePageSize, ReadCodePage);
  if (paging != KivRunResult_OK) {
    std::fprintf(stderr, "Error %s initializing code paging: %s\n",
                 ResultCodeText(paging).c_str(), KivRunResultToString(paging));
    attempt.failed = true;
    return attempt;
  }
  attempt.result = KivPageCode(&engine_, file);
  if (attempt.result != KivAddCodeResult_OK) {
    attempt.errorText =
        "Error " + ResultCodeText(attempt.result) +
        " loading paged code: " + KivAddCodeResultToString(attempt.result);
  }
  return attempt;
}

}  // namespace kivs
