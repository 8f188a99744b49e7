#include "tests/ecosystem/outside_build.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

std::vector<Generator> Generators() {
  std::vector<Generator> generators;
  if (Exists(KIV_NINJA_PROGRAM))
    generators.push_back({"Ninja", KIV_NINJA_PROGRAM, ""});
  if (Exists(KIV_MAKE_PROGRAM))
    generators.push_back({"Unix Makefiles", KIV_MAKE_PROGRAM, ""});
  if (Exists(KIV_NINJA_PROGRAM))
    generators.push_back({"Ninja Multi-Config", KIV_NINJA_PROGRAM, "Debug/"});
  return generators;
}

ProgramResult Install(const std::string& prefix,
                      const std::vector<std::string>& components) {
  std::vector<std::string> args = {"--install", KIV_BUILD_DIR, "--prefix",
                                   prefix};
  ProgramResult result = RunProgram(KIV_CMAKE_COMMAND, args);
  for (const std::string& component : components) {
    if (result.status != 0) break;
    std::vector<std::string> withComponent = args;
    withComponent.insert(withComponent.end(), {"--component", component});
    result = RunProgram(KIV_CMAKE_COMMAND, withComponent);
  }
  return result;
}

const std::string& InstalledPrefix() {
  // Shared by every test of the program and removed at exit. A failed
  // install leaves an empty path, so that the tests fail at once instead
  // of configuring against nothing.
  static const std::unique_ptr<TempDir> dir = std::make_unique<TempDir>();
  static const std::string prefix = [] {
    const ProgramResult installed = Install(dir->path(), {"standins"});
    return installed.status == 0 ? dir->path() : std::string();
  }();
  return prefix;
}

ProgramResult Configure(const std::string& source, const std::string& build,
                        const Generator& generator, const std::string& prefix,
                        const std::vector<std::string>& extraArgs) {
  if (prefix.empty()) return {1, "", "the toolchain could not be installed\n"};
  const std::string flags = KIV_OUTSIDE_FLAGS;
  std::vector<std::string> args = {"-S",
                                   source,
                                   "-B",
                                   build,
                                   "-G",
                                   generator.name,
                                   "-DCMAKE_MAKE_PROGRAM=" + generator.program,
                                   "-DCMAKE_PREFIX_PATH=" + prefix,
                                   "-DCMAKE_C_COMPILER=" KIV_C_COMPILER,
                                   "-DCMAKE_CXX_COMPILER=" KIV_CXX_COMPILER,
                                   "-DCMAKE_C_FLAGS=" + flags,
                                   "-DCMAKE_CXX_FLAGS=" + flags,
                                   "-DCMAKE_EXE_LINKER_FLAGS=" + flags};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  return RunProgram(KIV_CMAKE_COMMAND, args);
}

ProgramResult Build(const std::string& build) {
  return RunProgram(KIV_CMAKE_COMMAND, {"--build", build, "-j", "2"});
}

ProgramResult ConfigureAndBuild(const TempDir& dir, const Generator& generator,
                                const std::string& project) {
  const ProgramResult configured =
      Configure(dir.Path(project), dir.Path("build"), generator);
  if (configured.status != 0) return configured;
  return Build(dir.Path("build"));
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return !path.empty() && fs::exists(path, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size()))
    ++count;
  return count;
}

std::string Shown(const ProgramResult& result) {
  return "status " + std::to_string(result.status) + "\n" + result.out +
         result.err;
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') c = ' ';
    if (c == ' ' && !line.empty() && line.back() == ' ') continue;
    line += c;
  }
  return line;
}

std::string ReadmeBlock(const std::string& firstLine) {
  std::ifstream in(SourcePath("README.md"));
  std::string line, block, blankLines;
  bool inBlock = false;
  while (std::getline(in, line)) {
    if (!inBlock && line == "    " + firstLine) inBlock = true;
    if (!inBlock) continue;
    if (line.empty()) {
      blankLines += "\n";  // kept only if the block goes on after them
      continue;
    }
    if (line.compare(0, 4, "    ") != 0) break;
    block += blankLines + line.substr(4) + "\n";
    blankLines.clear();
  }
  return block;
}

std::vector<std::string> WriteReadmeApplication(
    const TempDir& dir, const std::string& subdirectory) {
  const struct {
    const char* name;
    const char* firstLine;
  } files[] = {
      {"app.kivs",
       "# The functions that scripts running in myapp may call, with the C"},
      {"app_functions.c", "/* The C functions that app.kivs names. */"},
      {"main.c",
       "/* myapp SCRIPT.kive [ARG]...: runs a script compiled against "
       "app.kivs. */"},
      {"hello.kiv", "# A first script for myapp, compiled against app.kivec."},
      {"CMakeLists.txt", "cmake_minimum_required(VERSION 3.20)"},
  };
  std::vector<std::string> found;
  for (const auto& file : files) {
    const std::string text = ReadmeBlock(file.firstLine);
    if (text.empty()) continue;
    dir.Write(subdirectory + file.name, text);
    found.push_back(file.name);
  }
  return found;
}

void MakeNewer(const TempDir& dir, const std::string& relative,
               const std::string& newestOutput) {
  const fs::file_time_type built = fs::last_write_time(dir.Path(newestOutput));
  for (;;) {
    dir.Write("clock-probe", "");
    if (fs::last_write_time(dir.Path("clock-probe")) > built) break;
  }
  fs::last_write_time(dir.Path(relative),
                      fs::last_write_time(dir.Path("clock-probe")));
}
