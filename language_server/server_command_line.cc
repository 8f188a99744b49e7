#include "language_server/server_command_line.h"

#include "cli/option_scanner.h"
#include "cli/option_value.h"
#include "cli/version.h"
#include "language_server/base_protocol.h"

namespace kivls {

namespace {

void WriteUsage(std::ostream& err) {
  err << "Usage:      kivls [OPTION]...\n"
         "\n"
         "Serve the Language Server Protocol for application specification "
         "sources\n"
         "(*.kivs) on standard input and output, so that an editor shows "
         "kivg's\n"
         "diagnostics while the spec is written. Included and imported files "
         "are\n"
         "searched for in the client's initializationOptions.includePath, "
         "else in\n"
         "KIV_SPEC_INCLUDE.\n"
         "\n"
         "Options (may be prefixed by / instead of -):\n"
         "-h          Print usage information and exit.\n"
         "-m BYTES    Refuse messages longer than BYTES (default "
      << kDefaultMaxMessageBytes
      << ").\n"
         "-v          Print version information and exit.\n"
         "--stdio     Accepted for clients that pass it: standard input and "
         "output are\n"
         "            the only transport.\n";
}

constexpr cli::OptionLetters kServerOptions = {"hmv?", "m"};

}  // namespace

CommandLineAction ParseServerCommandLine(const std::vector<std::string>& args,
                                         ServerCommandLine* options,
                                         std::ostream& out, std::ostream& err) {
  options->maxMessageBytes = kDefaultMaxMessageBytes;
  // "--stdio" is no option of the scanner's form; clients pass it anywhere.
  std::vector<const char*> arguments;
  for (const std::string& arg : args) {
    if (arg != "--stdio") arguments.push_back(arg.c_str());
  }
  const int count = static_cast<int>(arguments.size());
  cli::OptionScanner scanner(kServerOptions, arguments.data(), count, 0);
  cli::ScannedOption option;
  bool printVersion = false;
  while (scanner.Next(&option)) {
    if (option.kind == cli::ScannedOption::Kind::kInvalid) {
      err << "Invalid option: " << option.argument << "\n";
      return CommandLineAction::kExitFailure;
    }
    if (option.kind == cli::ScannedOption::Kind::kMissingValue) {
      err << "Invalid message limit: \n";
      return CommandLineAction::kExitFailure;
    }
    switch (option.letter) {
      case 'h':
      case '?':
        WriteUsage(err);
        return CommandLineAction::kExitSuccess;
      case 'm':
        // A negative value would widen to a huge limit.
        if (std::string(option.value).find('-') != std::string::npos ||
            !cli::ParseOptionSize(option.value, cli::EmptyValue::kInvalid,
                                  &options->maxMessageBytes) ||
            options->maxMessageBytes == 0) {
          err << "Invalid message limit: " << option.value << "\n";
          return CommandLineAction::kExitFailure;
        }
        break;
      case 'v':
        printVersion = true;
        break;
    }
  }
  if (printVersion) {
    out << "Kiv language server version " << cli::kToolchainVersionText << "\n";
    return CommandLineAction::kExitSuccess;
  }
  if (scanner.next() != count) {
    WriteUsage(err);
    return CommandLineAction::kExitFailure;
  }
  return CommandLineAction::kServe;
}

}  // namespace kivls
