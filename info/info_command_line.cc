#include "info/info_command_line.h"

namespace {

const char kInfoSuffix[] = ".kivd";
constexpr std::size_t kInfoSuffixLength = sizeof kInfoSuffix - 1;

bool IsOptionPrefix(char c) { return c == '-' || c == '/'; }

bool TakesValue(char letter) {
  return letter == 'a' || letter == 'e' || letter == 'p' || letter == 's';
}

}  // namespace

InfoCommandLine ScanInfoOptions(int argc, char** argv, std::ostream& err) {
  InfoCommandLine line;
  InfoOptions& options = line.options;
  // The pass never reads past the arguments: a value option standing last
  // moves infoIndex beyond the count and ends it.
  while (options.infoIndex < argc) {
    const char* argument = argv[options.infoIndex];
    if (!IsOptionPrefix(argument[0])) break;
    if (argument[1] == argument[0] && argument[2] == '\0') {
      ++options.infoIndex;
      break;
    }
    const char letter = argument[1];
    const bool single = letter != '\0' && argument[2] == '\0';
    if (single && (letter == '?' || letter == 'h')) {
      PrintInfoUsage(err);
      line.exit = true;
      line.exitStatus = 0;
      return line;
    }
    if (single && TakesValue(letter)) {
      options.infoIndex += 2;
    } else if (single && (letter == 'v' || letter == 'l')) {
      if (letter == 'v') options.version = true;
      ++options.infoIndex;
    } else {
      err << "Invalid option: " << argument << '\n';
      line.exit = true;
      line.exitStatus = 1;
      return line;
    }
  }
  return line;
}

std::string InfoFileName(const std::string& argument) {
  const bool hasSuffix = argument.size() > kInfoSuffixLength &&
                         argument.compare(argument.size() - kInfoSuffixLength,
                                          kInfoSuffixLength, kInfoSuffix) == 0;
  return hasSuffix ? argument : argument + kInfoSuffix;
}

void PrintInfoUsage(std::ostream& err) {
  err << "Usage:      kivinfo {OPTION}... [--] [INFO]\n"
         "\n"
         "Print the requested error information. Some options require INFO, "
         "the Kiv\n"
         "source info file (*.kivd). The suffix may be omitted. The INFO "
         "argument may be\n"
         "omitted if neither -l nor -p is used.\n"
         "\n"
         "Use -- before the INFO argument if it starts with an option prefix.\n"
         "\n"
         "Options (may be prefixed by / instead of -):\n"
         "-a code     Translate the add code result to descriptive text.\n"
         "-e code     Translate the run result to descriptive text.\n"
         "-h          Print usage information and exit.\n"
         "-l          List all source files.\n"
         "-p pc       Translate program counter source location.\n"
         "-s symbol   Translate symbol number to name.\n"
         "-v          Print version information and exit.\n";
}
