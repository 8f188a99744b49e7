// Outside projects built against this build's toolchain as a user would:
// the toolchain is installed once per test program into a scratch prefix,
// then projects are configured with find_package(Kiv) and built with every
// generator CMake offers on Linux that this machine can run.
#pragma once

#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

struct Generator {
  std::string name;     // as cmake -G takes it
  std::string program;  // the build tool
  // Where a multi-config generator puts the programs and libraries of the
  // configuration it builds by default ("Debug/"); empty for the others.
  std::string configDir;

  bool IsNinja() const { return name.compare(0, 5, "Ninja") == 0; }

  // The path of a program or library the build made.
  std::string Built(const std::string& build, const std::string& name) const {
    return build + "/" + configDir + name;
  }
};

// The generators this machine can build with: Ninja (first), Unix Makefiles
// and Ninja Multi-Config.
std::vector<Generator> Generators();

// The prefix holding the plain install and the "standins" component.
const std::string& InstalledPrefix();

// Installs this build into prefix: the plain install, then each component.
ProgramResult Install(const std::string& prefix,
                      const std::vector<std::string>& components);

// cmake -S source -B build with the generator and the compilers of this
// build, finding the package in prefix.
ProgramResult Configure(const std::string& source, const std::string& build,
                        const Generator& generator,
                        const std::string& prefix = InstalledPrefix(),
                        const std::vector<std::string>& extraArgs = {});

// cmake --build build -j 2.
ProgramResult Build(const std::string& build);

// Configures dir/<project> into dir/build with the generator, then builds
// it: the result of the configuration when that failed, else the build's.
ProgramResult ConfigureAndBuild(const TempDir& dir, const Generator& generator,
                                const std::string& project = "project");

bool Exists(const std::string& path);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
size_t Count(const std::string& text, const std::string& part);
std::string Shown(const ProgramResult& result);
// The text with line breaks taken out and runs of blanks made one, as cmake's
// messages are compared: it wraps them to its own width.
std::string OneLine(const std::string& text);

// The indented block of README.md that starts with the line given, with
// the blank lines inside it; empty when there is none.
std::string ReadmeBlock(const std::string& firstLine);

// Writes the files of README's first application (app.kivs,
// app_functions.c, main.c, hello.kiv, CMakeLists.txt) into dir, under
// subdirectory (which ends in "/" or is empty), and returns the names of
// those found in README.
std::vector<std::string> WriteReadmeApplication(
    const TempDir& dir, const std::string& subdirectory = "");

// Makes the file newer than newestOutput. The file system's clock may not
// have moved since that output was written, so this waits for a fresh
// file's time to pass it first.
void MakeNewer(const TempDir& dir, const std::string& relative,
               const std::string& newestOutput);
