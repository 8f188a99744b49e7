#include "info/info_command_line.h"

namespace kivinfo {

namespace {

const char kInfoSuffix[] = ".kivd";
constexpr std::size_t kInfoSuffixLength = sizeof kInfoSuffix - 1;

}  // namespace

const cli::OptionLetters kInfoOptions = {"aehlpsv?", "aeps"};

InfoCommandLine ScanInfoOptions(int argc, char** argv, std::ostream& err) {
  InfoCommandLine line;
  // The pass never reads past the arguments: a value option standing last
  // moves infoIndex beyond the count and ends it.
  cli::OptionScanner scanner(kInfoOptions, argv, argc, 1);
  cli::ScannedOption option;
  while (scanner.Next(&option)) {
    if (option.kind == cli::ScannedOption::Kind::kInvalid) {
      err << "Invalid option: " << option.argument << '\n';
      line.exit = true;
      line.exitStatus = 1;
      return line;
    }
    if (option.letter == '?' || option.letter == 'h') {
      PrintInfoUsage(err);
      line.exit = true;
      line.exitStatus = 0;
      return line;
    }
    if (option.letter == 'v') line.options.version = true;
  }
  line.options.infoIndex = scanner.next();
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

}  // namespace kivinfo
