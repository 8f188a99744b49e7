#include "standalone/runner_command_line.h"

#include <kiv.h>

#include "cli/option_scanner.h"
#include "cli/option_value.h"

namespace kivs {

namespace {

const cli::OptionLetters kRunnerOptions = {"cdhpv?", "cdp"};

struct ValueOption {
  char letter;
  std::size_t RunnerSettings::*setting;
  const char* invalidMessage;
};

const ValueOption kValueOptions[] = {
    {'c', &RunnerSettings::codeSize, "Invalid code size: "},
    {'d', &RunnerSettings::dataEntryCount, "Invalid data entry count: "},
    {'p', &RunnerSettings::codePageSize, "Invalid code page size: "},
};

const ValueOption& FindValueOption(char letter) {
  for (const ValueOption& option : kValueOptions) {
    if (option.letter == letter) return option;
  }
  return kValueOptions[0];  // unreachable: the scanner knows the letters
}

RunnerCommandLine Exit(RunnerCommandLine line, int status) {
  line.exit = true;
  line.exitStatus = status;
  return line;
}

}  // namespace

RunnerCommandLine ParseRunnerCommandLine(int argc, char** argv) {
  RunnerCommandLine line;
  cli::OptionScanner scanner(kRunnerOptions, argv, argc, 1);
  cli::ScannedOption option;
  while (scanner.Next(&option)) {
    if (option.kind == cli::ScannedOption::Kind::kInvalid) {
      std::fprintf(stderr, "Invalid option: %s\n", option.argument);
      PrintRunnerUsage(stderr);
      return Exit(line, 1);
    }
    if (option.kind == cli::ScannedOption::Kind::kMissingValue) {
      PrintRunnerUsage(stderr);
      return Exit(line, 1);
    }
    if (option.letter == 'h' || option.letter == '?') {
      PrintRunnerUsage(stderr);
      return Exit(line, 0);
    }
    if (option.letter == 'v') {
      line.settings.verbose = true;
      continue;
    }
    const ValueOption& valueOption = FindValueOption(option.letter);
    if (!cli::ParseOptionSize(option.value, cli::EmptyValue::kZero,
                              &(line.settings.*valueOption.setting))) {
      std::fprintf(stderr, "%s%s\n", valueOption.invalidMessage, option.value);
      return Exit(line, 1);
    }
  }
  line.scriptIndex = scanner.next();
  return line;
}

void PrintRunnerUsage(std::FILE* stream) {
  std::fprintf(
      stream,
      "Usage:      kivs [OPTION]... [--] SCRIPT [ARG]...\n"
      "\n"
      "Run the Kiv script executable SCRIPT (*.kive). The suffix may be "
      "omitted.\n"
      "If one or more ARG are given, they are passed as arguments to the "
      "script.\n"
      "\n"
      "Use -- before the SCRIPT argument if it starts with an option "
      "prefix.\n"
      "\n"
      "Options (may be prefixed by / instead of -):\n"
      "-c n        Code size, in bytes. The default behaviour is to determine "
      "the size\n"
      "            from the SCRIPT file. This default behaviour may also be "
      "invoked\n"
      "            explicitly by specifying 0 for n.\n"
      "-d n        Data entry count, where each entry is %zu bytes. Default is "
      "2048.\n"
      "-h          Print usage information and exit.\n"
      "-p n        Code page size, in bytes. The default is 0, which disables "
      "paging\n"
      "            mode. The number of pages is the code size divided by this "
      "value.\n"
      "-v          Verbose. Output version and statistical information.\n",
      KivDataEntrySize());
}

}  // namespace kivs
