#include "standalone/runner_command_line.h"

#include <kiv.h>

#include "cli/option_value.h"

namespace {

bool IsOptionPrefix(char c) { return c == '-' || c == '/'; }

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

const ValueOption* FindValueOption(char letter) {
  for (const ValueOption& option : kValueOptions) {
    if (option.letter == letter) return &option;
  }
  return nullptr;
}

RunnerCommandLine Exit(RunnerCommandLine line, int status) {
  line.exit = true;
  line.exitStatus = status;
  return line;
}

}  // namespace

RunnerCommandLine ParseRunnerCommandLine(int argc, char** argv) {
  RunnerCommandLine line;
  int index = 1;
  while (index < argc) {
    const char* argument = argv[index];
    if (!IsOptionPrefix(argument[0])) break;
    if (argument[1] == argument[0] && argument[2] == '\0') {
      ++index;
      break;
    }
    const char letter = argument[1];
    const ValueOption* valueOption = FindValueOption(letter);
    const bool known = letter == 'h' || letter == '?' || letter == 'v' ||
                       valueOption != nullptr;
    if (letter == '\0' || argument[2] != '\0' || !known) {
      std::fprintf(stderr, "Invalid option: %s\n", argument);
      PrintRunnerUsage(stderr);
      return Exit(line, 1);
    }
    if (letter == 'h' || letter == '?') {
      PrintRunnerUsage(stderr);
      return Exit(line, 0);
    }
    if (letter == 'v') {
      line.settings.verbose = true;
      ++index;
      continue;
    }
    if (index + 1 >= argc) {
      PrintRunnerUsage(stderr);
      return Exit(line, 1);
    }
    const char* value = argv[index + 1];
    if (!cli::ParseOptionSize(value, cli::EmptyValue::kZero,
                              &(line.settings.*valueOption->setting))) {
      std::fprintf(stderr, "%s%s\n", valueOption->invalidMessage, value);
      return Exit(line, 1);
    }
    index += 2;
  }
  line.scriptIndex = index;
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
