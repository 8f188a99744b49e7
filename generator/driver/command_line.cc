#include "generator/driver/command_line.h"

#include "cli/option_scanner.h"
#include "cli/version.h"

namespace kivg {

namespace {

constexpr char kSourceSuffix[] = ".kivs";
constexpr char kSpecSuffix[] = ".kivec";

const cli::OptionLetters kGeneratorOptions = {"hcsqv?", "cs"};

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The path of an output without its suffix: the option as given, a directory
// (an option ending with a separator) holding specName, or specName itself.
std::string OutputBase(const std::string& option, const std::string& specName) {
  if (option.empty()) return specName;
  if (IsSeparator(option.back())) return option + specName;
  return option;
}

// The header's file name is written between the double quotes of the C
// source's #include line, where a double quote, a backslash or a control
// character would end or break the line; a tab is a character a quoted
// include may hold.
bool FitsIncludeLine(const std::string& name) {
  for (unsigned char c : name) {
    if (c == '"' || c == '\\' || (c < 0x20 && c != '\t') || c == 0x7F)
      return false;
  }
  return true;
}

// What of a C file base lands in the #include line: the part after the
// last slash. A backslash is no separator here, so -c a\b would be
// created as the file a\b.h and included as b.h: it is refused with the
// rest.
std::string IncludedPart(const std::string& base) {
  const size_t slash = base.rfind('/');
  return slash == std::string::npos ? base : base.substr(slash + 1);
}

}  // namespace

void WriteGeneratorUsage(std::ostream& err) {
  err << "Usage:      kivg [OPTION]... [--] SOURCE\n"
         "\n"
         "Generate binary application specification file and C code from the "
         "source\n"
         "file (*.kivs) given as SOURCE.\n"
         "\n"
         "Use -- before the SOURCE argument if it starts with an option "
         "prefix.\n"
         "\n"
         "Options (may be prefixed by / instead of -):\n"
         "-c CODE     Write generated C code files to CODE.h and CODE.c "
         "instead of basing\n"
         "            file names on the SOURCE file name. If CODE ends with "
         "\\, the output\n"
         "            file names will be based on SOURCE and the files will be "
         "written\n"
         "            into the directory given by CODE. In this case, the "
         "directory must\n"
         "            already exist.\n"
         "-h          Print usage information and exit.\n"
         "-q          Quiet. Don't output usual generator information.\n"
         "-s SPEC     Write the binary spec file to SPEC.kivec instead of "
         "basing the file\n"
         "            name on the SOURCE file name. If SPEC ends with .kivec, "
         "the name\n"
         "            will be used as is. If SPEC ends with \\, the output "
         "file name will\n"
         "            be based on SOURCE and the file will be written into the "
         "directory\n"
         "            given by SPEC. In this case, the directory must already "
         "exist.\n"
         "-v          Print version information and exit.\n";
}

CommandLineAction ParseCommandLine(const std::vector<std::string>& args,
                                   GeneratorOptions* options, std::ostream& out,
                                   std::ostream& err) {
  std::vector<const char*> arguments;
  arguments.reserve(args.size());
  for (const std::string& arg : args) arguments.push_back(arg.c_str());
  const int count = static_cast<int>(arguments.size());
  cli::OptionScanner scanner(kGeneratorOptions, arguments.data(), count, 0);
  cli::ScannedOption option;
  while (scanner.Next(&option)) {
    if (option.kind == cli::ScannedOption::Kind::kInvalid) {
      err << "Invalid option: " << option.argument << "\n";
      return CommandLineAction::ExitFailure;
    }
    if (option.kind == cli::ScannedOption::Kind::kMissingValue) {
      WriteGeneratorUsage(err);
      return CommandLineAction::ExitFailure;
    }
    switch (option.letter) {
      case 'h':
      case '?':
        WriteGeneratorUsage(err);
        return CommandLineAction::ExitSuccess;
      case 'c':
        options->codeOption = option.value;
        break;
      case 's':
        options->specOption = option.value;
        break;
      case 'q':
        options->quiet = true;
        break;
      case 'v':
        options->printVersion = true;
        break;
    }
  }
  if (options->printVersion) {
    out << "Kiv generator version " << cli::kToolchainVersionText << "\n";
    return CommandLineAction::ExitSuccess;
  }
  const size_t next = static_cast<size_t>(scanner.next());
  if (args.size() - next != 1) {
    WriteGeneratorUsage(err);
    return CommandLineAction::ExitFailure;
  }
  options->source = args[next];
  return CommandLineAction::Run;
}

std::string FileNamePart(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool DeriveOutputNames(const GeneratorOptions& options, OutputNames* names,
                       std::ostream& err) {
  const std::string& source = options.source;
  const size_t suffixLength = sizeof(kSourceSuffix) - 1;
  if (source.size() <= suffixLength || !EndsWith(source, kSourceSuffix)) {
    err << "File name must end with .kivs\n";
    return false;
  }
  const std::string withoutSuffix =
      source.substr(0, source.size() - suffixLength);
  names->specName = FileNamePart(withoutSuffix);
  if (names->specName.empty() || !FitsIncludeLine(names->specName)) {
    err << "Invalid source file name: " << source << "\n";
    return false;
  }
  const std::string specBase = OutputBase(options.specOption, names->specName);
  const std::string codeBase = OutputBase(options.codeOption, names->specName);
  // A SPEC that already names a spec file is used as is, as the usage text
  // promises; appending the suffix again would write "out.kivec.kivec".
  names->specPath = EndsWith(options.specOption, kSpecSuffix)
                        ? options.specOption
                        : specBase + kSpecSuffix;
  if (!FitsIncludeLine(IncludedPart(codeBase))) {
    err << "Invalid code file name: " << options.codeOption << "\n";
    return false;
  }
  names->headerPath = codeBase + ".h";
  names->sourcePath = codeBase + ".c";
  return true;
}

}  // namespace kivg
