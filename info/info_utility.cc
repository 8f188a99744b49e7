#include "info/info_utility.h"

#include <kivd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "cli/option_value.h"
#include "cli/regular_file.h"
#include "cli/version.h"
#include "info/info_answers.h"
#include "info/info_command_line.h"

namespace kivinfo {

namespace {

struct SourceInfoUnloader {
  void operator()(KivSourceInfo* info) const { KivUnloadSourceInfo(info); }
};
using SourceInfoHandle = std::unique_ptr<KivSourceInfo, SourceInfoUnloader>;

// The second pass: answers the options before INFO in order. Returns at the
// first invalid value; the answers given so far stand.
void AnswerOptions(int infoIndex, char** argv, KivSourceInfo* info,
                   std::ostream& out, std::ostream& err) {
  cli::OptionScanner scanner(kInfoOptions, argv, infoIndex, 1);
  cli::ScannedOption option;
  while (scanner.Next(&option)) {
    // The first pass let through only known letters with their values.
    if (option.kind != cli::ScannedOption::Kind::kLetter) continue;
    const char letter = option.letter;
    const bool needsInfo = letter == 'l' || letter == 'p' || letter == 's';
    if (needsInfo && info == nullptr) {
      err << option.argument
          << " option ignored in absence of source info file\n";
      continue;
    }
    if (letter == 'l') {
      ListSourceFiles(out, info);
      continue;
    }
    int32_t value = 0;
    if (!cli::ParseOptionNumber(option.value, cli::EmptyValue::kInvalid,
                                &value)) {
      err << "Invalid value for " << option.argument << ": " << option.value
          << '\n';
      return;
    }
    if (letter == 'a') {
      AnswerAddCodeResult(out, value);
    } else if (letter == 'e') {
      AnswerRunResult(out, value);
    } else if (letter == 's') {
      AnswerSymbol(out, info, value);
    } else if (value < 0) {
      err << "Invalid value for " << option.argument << ": " << value << '\n';
      return;
    } else {
      AnswerProgramCounter(out, info, static_cast<uint32_t>(value));
    }
  }
}

}  // namespace

int RunInfoUtility(int argc, char** argv, std::ostream& out,
                   std::ostream& err) {
  if (argc <= 1) {
    PrintInfoUsage(err);
    return 1;
  }
  const InfoCommandLine line = ScanInfoOptions(argc, argv, err);
  if (line.exit) return line.exitStatus;
  const InfoOptions& options = line.options;
  if (options.version) {
    out << "Kiv information utility version " << cli::kInfoUtilityVersionText
        << '\n';
    return 0;
  }
  if (options.infoIndex != argc && options.infoIndex != argc - 1) {
    err << "Command line error at argument " << options.infoIndex << '\n';
    PrintInfoUsage(err);
    return 1;
  }
  SourceInfoHandle info;
  if (options.infoIndex == argc - 1) {
    const std::string name = InfoFileName(argv[options.infoIndex]);
    // The library opens by name and would wait for ever on a FIFO without
    // a writer, or read a device without end: it gets regular files only.
    int error = cli::RegularFileError(name.c_str());
    if (error == 0) {
      errno = 0;
      info.reset(KivLoadSourceInfoFromFile(name.c_str()));
      error = errno;
    }
    if (!info) {
      err << "Error loading " << name << ": "
          << (error != 0 ? std::strerror(error) : "Possible file corruption")
          << '\n';
      return 1;
    }
  }
  AnswerOptions(options.infoIndex, argv, info.get(), out, err);
  return 0;
}

}  // namespace kivinfo
