// kivls: the language server for application spec sources, on standard
// input and output.
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/standard_descriptors.h"
#include "language_server/language_server.h"
#include "language_server/server_command_line.h"

int main(int argc, char** argv) {
  if (!cli::OpenStandardDescriptors()) return 1;
  kivls::ServerCommandLine commandLine;
  switch (kivls::ParseServerCommandLine(
      std::vector<std::string>(argv + 1, argv + argc), &commandLine, std::cout,
      std::cerr)) {
    case kivls::CommandLineAction::kExitSuccess:
      std::cout.flush();
      return std::cout ? 0 : 1;
    case kivls::CommandLineAction::kExitFailure:
      return 1;
    case kivls::CommandLineAction::kServe:
      break;
  }
  // A client that goes away is a failed write, and the server ends.
  signal(SIGPIPE, SIG_IGN);
  kivls::ServerOptions options;
  options.maxMessageBytes = commandLine.maxMessageBytes;
  char directory[PATH_MAX];
  if (getcwd(directory, sizeof directory) != nullptr)
    options.currentDirectory = directory;
  options.searchPathVariable = std::getenv("KIV_SPEC_INCLUDE");
  return kivls::LanguageServer(STDIN_FILENO, STDOUT_FILENO, options).Run();
}
