// The installed toolchain as an outside project sees it: what the plain
// install and the stand-in component put into a prefix, the package's
// version and component handling, the pkg-config file, the Debian package,
// and spec rebuilds and the embedding example built with find_package(Kiv).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/ecosystem/outside_build.h"

namespace {

namespace fs = std::filesystem;

const char kGenerating[] = "Generating Kiv app spec app";

// An outside project: a static library whose app spec includes one file and
// imports one module, both found through INCLUDE_DIRS.
void WriteOutsideProject(const TempDir& dir) {
  dir.Write(
      "project/CMakeLists.txt",
      "cmake_minimum_required(VERSION 3.20)\n"
      "project(Outside LANGUAGES C)\n"
      "find_package(Kiv 1.3 REQUIRED)\n"
      "add_library(appspec STATIC uses_spec.c)\n"
      "kiv_add_app_spec(appspec specs/app.kivs INCLUDE_DIRS specs/common)\n");
  dir.Write("project/uses_spec.c",
            "#include \"app.h\"\n"
            "int AppSymbol(void) { return KIV_APP_app_SYM_limit; }\n");
  dir.Write("project/specs/app.kivs",
            "include settings\nimport io\ndef run(mode=1) = AppRun\n");
  dir.Write("project/specs/common/settings.kivs", "limit = 3\n");
  dir.Write("project/specs/common/io.kivs", "def send(*bytes) = IoSend\n");
}

// Files of a prefix, with the build type's name in the exported targets'
// file names replaced by CONFIG, and a library's suffix (static or shared,
// as the build made them) by LIB.
std::vector<std::string> PrefixFiles(const TempDir& prefix) {
  std::vector<std::string> files = prefix.Files();
  for (std::string& file : files) {
    for (const std::string start :
         {"lib/cmake/Kiv/KivTargets-", "lib/cmake/Kiv/KivStandinTargets-"})
      if (file.compare(0, start.size(), start) == 0)
        file = start + "CONFIG.cmake";
    const size_t dot = file.rfind('.');
    if (file.compare(0, 17, "lib/kiv-standins/") == 0 &&
        dot != std::string::npos)
      file = file.substr(0, dot) + ".LIB";
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(Package, PlainInstallAndComponentShareOnePrefix) {
  TempDir prefix;
  ProgramResult installed = Install(prefix.path(), {});
  ASSERT_EQ(installed.status, 0) << Shown(installed);
  const std::vector<std::string> plain = {
      "bin/kivg",
      "bin/kivinfo",
      "bin/kivls",
      "bin/kivs",
      "include/kiv.h",
      "include/kivd.h",
      "lib/cmake/Kiv/KivAppSpec.cmake",
      "lib/cmake/Kiv/KivAppSpecDepfile.cmake",
      "lib/cmake/Kiv/KivConfig.cmake",
      "lib/cmake/Kiv/KivConfigVersion.cmake",
      "lib/cmake/Kiv/KivTargets-CONFIG.cmake",
      "lib/cmake/Kiv/KivTargets.cmake",
      "share/doc/Kiv/generated-files.md",
      "share/doc/Kiv/spec-language.md",
      "share/kiv/editor/vscode-kivs/extension.js",
      "share/kiv/editor/vscode-kivs/language-configuration.json",
      "share/kiv/editor/vscode-kivs/package-lock.json",
      "share/kiv/editor/vscode-kivs/package.json",
      "share/kiv/editor/vscode-kivs/syntaxes/kivs.tmLanguage.json",
      "share/man/man1/kivg.1",
      "share/man/man1/kivinfo.1",
      "share/man/man1/kivls.1",
      "share/man/man1/kivs.1",
      "share/man/man5/kivspec.5",
      "share/pkgconfig/kiv.pc",
      "share/vim/vimfiles/ftdetect/kivs.vim",
      "share/vim/vimfiles/ftplugin/kivs.vim",
      "share/vim/vimfiles/syntax/kivs.vim"};
  EXPECT_EQ(PrefixFiles(prefix), plain);
  const ProgramResult version = RunProgram(prefix.Path("bin/kivg"), {"-v"});
  EXPECT_EQ(version.out, "Kiv generator version 1.3.1.0\n");

  installed = Install(prefix.path(), {"standins"});
  ASSERT_EQ(installed.status, 0) << Shown(installed);
  std::vector<std::string> both = plain;
  both.insert(both.end(), {"lib/cmake/Kiv/KivStandinTargets-CONFIG.cmake",
                           "lib/cmake/Kiv/KivStandinTargets.cmake",
                           "lib/kiv-standins/libkiv_standin_engine.LIB",
                           "lib/kiv-standins/libkiv_standin_sourceinfo.LIB",
                           "libexec/kiv-standins/kivc"});
  std::sort(both.begin(), both.end());
  EXPECT_EQ(PrefixFiles(prefix), both);
}

// find_package with a version or range against the installed 1.3.1: any
// 1.x up to 1.3.1 is compatible, as is a range that holds 1.3.1.
TEST(Package, VersionRequestsFollowTheMajorVersion) {
  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  const struct {
    const char* request;
    bool found;
  } cases[] = {
      {"1", true},          {"1.0", true},       {"1.3.1", true},
      {"1.3.2", false},     {"1.4", false},      {"2.0", false},
      {"0.9", false},       {"1.0...<2", true},  {"1.3...1.3.1", true},
      {"1.0...1.2", false}, {"1.4...<3", false}, {"0.1...<1.3", false}};
  std::string lists =
      "cmake_minimum_required(VERSION 3.20)\nproject(Versions NONE)\n";
  for (const auto& c : cases)
    lists += std::string("find_package(Kiv ") + c.request +
             " QUIET)\nmessage(STATUS \"" + c.request +
             " ${Kiv_FOUND}\")\nunset(Kiv_DIR CACHE)\n";
  TempDir dir;
  dir.Write("project/CMakeLists.txt", lists);
  const ProgramResult configured =
      Configure(dir.Path("project"), dir.Path("build"), generators.front());
  ASSERT_EQ(configured.status, 0) << Shown(configured);
  for (const auto& c : cases) {
    const std::string line =
        std::string("-- ") + c.request + " " + (c.found ? "1" : "0") + "\n";
    EXPECT_NE(configured.out.find(line), std::string::npos) << c.request << "\n"
                                                            << configured.out;
  }
}

TEST(Package, MissingComponentSaysWhy) {
  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  TempDir prefix;
  const ProgramResult installed = Install(prefix.path(), {});
  ASSERT_EQ(installed.status, 0) << Shown(installed);
  const struct {
    const char* components;
    const char* message;
  } cases[] = {
      {"standins", "Kiv 1.3.1: The component 'standins' is not installed in "},
      {"bogus",
       "Kiv 1.3.1: There is no component 'bogus'; the only component is "
       "'standins'."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.components);
    TempDir dir;
    dir.Write("project/CMakeLists.txt",
              std::string("cmake_minimum_required(VERSION 3.20)\n"
                          "project(Components NONE)\n"
                          "find_package(Kiv REQUIRED COMPONENTS ") +
                  c.components + ")\n");
    const ProgramResult configured =
        Configure(dir.Path("project"), dir.Path("build"), generators.front(),
                  prefix.path());
    EXPECT_NE(configured.status, 0);
    EXPECT_NE(OneLine(configured.err).find(c.message), std::string::npos)
        << configured.err;
  }
}

// A make build without CMake takes the generator and the include directory
// from the pkg-config file.
TEST(Package, PkgConfigServesABuildWithoutCMake) {
  if (!Exists(KIV_PKG_CONFIG_PROGRAM) || !Exists(KIV_MAKE_PROGRAM))
    GTEST_SKIP() << "pkg-config or make is not available";
  ASSERT_FALSE(InstalledPrefix().empty());
  RunOptions options;
  options.env = {{"PKG_CONFIG_PATH", InstalledPrefix() + "/share/pkgconfig"}};
  const ProgramResult version =
      RunProgram(KIV_PKG_CONFIG_PROGRAM, {"--modversion", "kiv"}, options);
  EXPECT_EQ(version.out, "1.3.1\n") << version.err;

  TempDir dir;
  dir.Write("app.kivs", "limit = 3\ndef run(mode=1) = AppRun\n");
  dir.Write("uses_spec.c",
            "#include \"app.h\"\n"
            "int AppSymbol(void) { return KIV_APP_app_SYM_limit; }\n");
  dir.Write("Makefile",
            "KIVG := $(shell pkg-config --variable=kivg kiv)\n"
            "CFLAGS += $(shell pkg-config --cflags kiv)\n"
            "all: uses_spec.o app.o\n"
            "uses_spec.o: app.h\n"
            "app.kivec app.h app.c: app.kivs\n"
            "\t$(KIVG) -q app.kivs\n");
  options.workDir = dir.path();
  const ProgramResult built =
      RunProgram(KIV_MAKE_PROGRAM, {"CC=" KIV_C_COMPILER}, options);
  ASSERT_EQ(built.status, 0) << Shown(built);
  EXPECT_TRUE(dir.Exists("app.o"));
  EXPECT_NE(built.out.find(InstalledPrefix()), std::string::npos) << built.out;
}

// cpack -G DEB packs the plain install under /usr; the package installs
// into an empty root with dpkg and its kivg runs from there.
TEST(Package, DebianPackageInstallsAndRuns) {
  if (!Exists(KIV_DPKG_PROGRAM) || !Exists(KIV_CPACK_COMMAND))
    GTEST_SKIP() << "cpack or dpkg is not available";
  TempDir dir;
  const ProgramResult packed = RunProgram(
      KIV_CPACK_COMMAND, {"-G", "DEB", "--config",
                          std::string(KIV_BUILD_DIR) + "/CPackConfig.cmake",
                          "-B", dir.Path("packages")});
  ASSERT_EQ(packed.status, 0) << Shown(packed);
  const std::string package = dir.Path("packages/kiv_1.3.1_amd64.deb");
  ASSERT_TRUE(dir.Exists("packages/kiv_1.3.1_amd64.deb")) << packed.out;

  const ProgramResult fields = RunProgram(
      KIV_DPKG_PROGRAM, {"--field", package, "Package", "Version", "Depends"});
  EXPECT_EQ(fields.out.find("Package: kiv\nVersion: 1.3.1\nDepends: "), 0u)
      << fields.out;
  EXPECT_NE(fields.out.find("libc6"), std::string::npos) << fields.out;

  for (const char* place :
       {"root/var/lib/dpkg/info", "root/var/lib/dpkg/updates"})
    dir.MakeDir(place);
  dir.Write("root/var/lib/dpkg/status", "");
  const ProgramResult unpacked = RunProgram(
      KIV_DPKG_PROGRAM,
      {"--root=" + dir.Path("root"), "--force-depends", "--force-not-root",
       "--log=" + dir.Path("dpkg.log"), "--install", package});
  ASSERT_EQ(unpacked.status, 0) << Shown(unpacked);
  const ProgramResult version =
      RunProgram(dir.Path("root/usr/bin/kivg"), {"-v"});
  EXPECT_EQ(version.out, "Kiv generator version 1.3.1.0\n");
  for (const char* file :
       {"root/usr/bin/kivs", "root/usr/bin/kivinfo", "root/usr/include/kiv.h",
        "root/usr/lib/cmake/Kiv/KivConfig.cmake",
        "root/usr/share/pkgconfig/kiv.pc", "root/usr/share/man/man1/kivg.1"})
    EXPECT_TRUE(dir.Exists(file)) << file;
  EXPECT_FALSE(dir.Exists("root/usr/libexec/kiv-standins/kivc"));
}

// The source tree used through add_subdirectory by another project: the
// package's target names, no tests or GoogleTest unless asked for, and the
// parent's build type left alone.
TEST(Package, SubprojectUsesThePackageNames) {
  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  TempDir dir;
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(Parent LANGUAGES C CXX)\n"
            "add_subdirectory(" KIV_SOURCE_DIR
            " kiv)\n"
            "foreach(target Kiv::kivg Kiv::interface Kiv::standin_engine)\n"
            "  if(NOT TARGET ${target})\n"
            "    message(FATAL_ERROR \"${target} is missing\")\n"
            "  endif()\n"
            "endforeach()\n"
            "add_library(appspec STATIC uses_spec.c)\n"
            "kiv_add_app_spec(appspec app.kivs)\n"
            "message(STATUS \"build type '${CMAKE_BUILD_TYPE}'\")\n");
  dir.Write("project/app.kivs", "limit = 3\n");
  dir.Write("project/uses_spec.c", "#include \"app.h\"\n");
  ProgramResult configured =
      Configure(dir.Path("project"), dir.Path("build"), generators.front());
  ASSERT_EQ(configured.status, 0) << Shown(configured);
  EXPECT_NE(configured.out.find("-- build type ''\n"), std::string::npos)
      << configured.out;
  EXPECT_FALSE(dir.Exists("build/kiv/tests"));
  EXPECT_EQ(dir.Read("build/CMakeCache.txt").find("GTest_DIR"),
            std::string::npos);

  configured =
      Configure(dir.Path("project"), dir.Path("build"), generators.front(),
                InstalledPrefix(), {"-DKIV_BUILD_TESTS=ON"});
  ASSERT_EQ(configured.status, 0) << Shown(configured);
  EXPECT_TRUE(dir.Exists("build/kiv/tests"));
}

TEST(Package, SpecIsRegeneratedOnlyWhenASourceChanges) {
  for (const auto& generator : Generators()) {
    SCOPED_TRACE(generator.name);
    TempDir dir;
    WriteOutsideProject(dir);
    const ProgramResult configured =
        Configure(dir.Path("project"), dir.Path("build"), generator);
    ASSERT_EQ(configured.status, 0) << Shown(configured);

    ProgramResult built = Build(dir.Path("build"));
    ASSERT_EQ(built.status, 0) << Shown(built);
    EXPECT_NE(built.out.find(kGenerating), std::string::npos) << built.out;
    // Outputs go to the build tree only.
    EXPECT_TRUE(dir.Exists("build/app.kivec"));
    EXPECT_FALSE(dir.Exists("project/specs/app.c"));

    for (const char* changed :
         {"project/specs/common/settings.kivs", "project/specs/common/io.kivs",
          "project/specs/app.kivs"}) {
      SCOPED_TRACE(changed);
      MakeNewer(dir, changed, "build/app.c");
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      EXPECT_NE(built.out.find(kGenerating), std::string::npos) << built.out;

      const fs::file_time_type generated =
          fs::last_write_time(dir.Path("build/app.c"));
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      EXPECT_EQ(built.out.find(kGenerating), std::string::npos) << built.out;
      EXPECT_EQ(fs::last_write_time(dir.Path("build/app.c")), generated);
      if (generator.name == "Ninja") {
        EXPECT_EQ(built.out, "ninja: no work to do.\n");
      }
    }
  }
}

TEST(Package, EmbeddingExampleBuildsAndRuns) {
  const auto generators = Generators();
  ASSERT_FALSE(generators.empty());
  TempDir dir;
  const ProgramResult configured = Configure(
      SourcePath("examples/embedding"), dir.Path("build"), generators.front());
  ASSERT_EQ(configured.status, 0) << Shown(configured);
  const ProgramResult built = Build(dir.Path("build"));
  ASSERT_EQ(built.status, 0) << Shown(built);

  const ProgramResult run =
      RunProgram(dir.Path("build/device"), {dir.Path("build/hello.kive")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Hello, embedded world!\n"
            "Welcome, device!\n"
            "Level 100, fading over 0 s\n"
            "Level 40, fading over 1.5 s\n"
            "Report of 4 values: 1, 2.5, three, None\n"
            "30 of 120 is 25%\n"
            "Final level 40 after 2 changes\n");
}

}  // namespace
