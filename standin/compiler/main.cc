// kivc, the stand-in script compiler: compiles SCRIPT against the names of
// the application spec file SPEC into BASE.kive and BASE.kivd.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "standin/compiler/compiler.h"
#include "standin/compiler/spec_names.h"

namespace {

const char kUsage[] = "Usage: kivc SPEC.kivec SCRIPT [-o BASE]\n";

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  *bytes = text.str();
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written =
      std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int error = errno;
  if (std::fclose(file) != 0) return false;
  errno = error;
  return written;
}

int Usage() {
  std::cerr << kUsage;
  return 1;
}

// The base name: the script name without a final ".kiv".
std::string BaseName(const std::string& script) {
  const std::string suffix = ".kiv";
  if (script.size() >= suffix.size() &&
      script.compare(script.size() - suffix.size(), suffix.size(), suffix) == 0)
    return script.substr(0, script.size() - suffix.size());
  return script;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  std::string base;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "-h") {
      std::cerr << kUsage;
      return 0;
    }
    if (argument == "-o") {
      if (i + 1 >= argc) return Usage();
      base = argv[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      std::cerr << "kivc: invalid option '" << argument << "'\n";
      return Usage();
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() != 2) return Usage();
  const std::string& specPath = files[0];
  const std::string& scriptPath = files[1];
  if (base.empty()) base = BaseName(scriptPath);

  std::string bytes, error;
  standin::SpecNames spec;
  if (!ReadFile(specPath, &bytes)) {
    std::cerr << "kivc: cannot open '" << specPath
              << "': " << std::strerror(errno) << "\n";
    return 1;
  }
  if (!spec.Parse(bytes, &error)) {
    std::cerr << specPath << ": " << error << "\n";
    return 1;
  }
  std::string script;
  if (!ReadFile(scriptPath, &script)) {
    std::cerr << "kivc: cannot open '" << scriptPath
              << "': " << std::strerror(errno) << "\n";
    return 1;
  }

  standin::Compilation compiled =
      standin::CompileScript(spec, scriptPath, script);
  for (const std::string& line : compiled.errors) std::cerr << line << "\n";
  if (!compiled.errors.empty()) return 1;

  const std::string executablePath = base + ".kive";
  const std::string infoPath = base + ".kivd";
  for (const auto& [path, content] :
       {std::make_pair(executablePath, compiled.executable),
        std::make_pair(infoPath, compiled.sourceInfo)}) {
    if (!WriteFile(path, content)) {
      std::cerr << "kivc: cannot write '" << path
                << "': " << std::strerror(errno) << "\n";
      std::remove(executablePath.c_str());
      std::remove(infoPath.c_str());
      return 1;
    }
  }
  return 0;
}
