#include "language_server/server_command_line.h"

#include "cli/option_value.h"
#include "generator/driver/command_line.h"
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

bool IsOptionPrefix(char c) { return c == '-' || c == '/'; }

}  // namespace

CommandLineAction ParseServerCommandLine(const std::vector<std::string>& args,
                                         ServerCommandLine* options,
                                         std::ostream& out, std::ostream& err) {
  options->maxMessageBytes = kDefaultMaxMessageBytes;
  bool printVersion = false;
  size_t next = 0;
  while (next < args.size()) {
    const std::string& arg = args[next];
    if (arg.empty() || !IsOptionPrefix(arg[0])) break;
    ++next;
    if (arg == "--stdio") continue;
    if (arg.size() == 2 && arg[1] == arg[0]) break;  // "--" or "//"
    const char letter = arg.size() == 2 ? arg[1] : '\0';
    switch (letter) {
      case 'h':
      case '?':
        WriteUsage(err);
        return CommandLineAction::kExitSuccess;
      case 'm':
        // A negative value would widen to a huge limit.
        if (next == args.size() || args[next].find('-') != std::string::npos ||
            !cli::ParseOptionSize(args[next].c_str(), cli::EmptyValue::kInvalid,
                                  &options->maxMessageBytes) ||
            options->maxMessageBytes == 0) {
          err << "Invalid message limit: "
              << (next == args.size() ? "" : args[next]) << "\n";
          return CommandLineAction::kExitFailure;
        }
        ++next;
        break;
      case 'v':
        printVersion = true;
        break;
      default:
        err << "Invalid option: " << arg << "\n";
        return CommandLineAction::kExitFailure;
    }
  }
  if (printVersion) {
    out << "Kiv language server version " << kivg::kVersion << "\n";
    return CommandLineAction::kExitSuccess;
  }
  if (next != args.size()) {
    WriteUsage(err);
    return CommandLineAction::kExitFailure;
  }
  return CommandLineAction::kServe;
}

}  // namespace kivls
