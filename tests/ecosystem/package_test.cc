// The installed toolchain as an outside project sees it: what the plain
// install and the stand-in component put into a prefix, the versions the
// installed files carry, the package's version and component handling,
// scripts for the installed kivs, the pkg-config file and the README's make
// recipe, the Debian package with dpkg and lintian, and spec rebuilds and
// the embedding example built with find_package(Kiv).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

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
      "share/doc/kiv/copyright",
      "share/doc/kiv/generated-files.md",
      "share/doc/kiv/spec-language.md",
      "share/kiv/editor/vscode-kivs/extension.js",
      "share/kiv/editor/vscode-kivs/language-configuration.json",
      "share/kiv/editor/vscode-kivs/package-lock.json",
      "share/kiv/editor/vscode-kivs/package.json",
      "share/kiv/editor/vscode-kivs/syntaxes/kivs.tmLanguage.json",
      "share/kiv/standalone-oo.kivec",
      "share/kiv/standalone.kivec",
      "share/man/man1/kivg.1.gz",
      "share/man/man1/kivinfo.1.gz",
      "share/man/man1/kivls.1.gz",
      "share/man/man1/kivs.1.gz",
      "share/man/man5/kivspec.5.gz",
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

// The installed manual pages carry the date and version of the release on
// their .TH line and render without warnings; the VS Code extension's
// manifest has the same version.
TEST(Package, InstalledPagesAndExtensionCarryTheVersion) {
  if (!Exists(KIV_GZIP_PROGRAM)) GTEST_SKIP() << "gzip is not available";
  const std::string& prefix = InstalledPrefix();
  ASSERT_FALSE(prefix.empty());
  const struct {
    const char* page;
    const char* title;
  } pages[] = {{"man1/kivg.1", "KIVG 1"},
               {"man1/kivs.1", "KIVS 1"},
               {"man1/kivinfo.1", "KIVINFO 1"},
               {"man5/kivspec.5", "KIVSPEC 5"}};
  for (const auto& page : pages) {
    SCOPED_TRACE(page.page);
    const std::string path = prefix + "/share/man/" + page.page + ".gz";
    const ProgramResult text = RunProgram(KIV_GZIP_PROGRAM, {"-dc", path});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find(std::string("\n.TH ") + page.title +
                            " " KIV_RELEASE_DATE " \"Kiv " KIV_VERSION
                            "\" \"Kiv host toolchain\"\n"),
              std::string::npos)
        << text.out.substr(0, 200);
    if (!Exists(KIV_MAN_PROGRAM)) continue;
    RunOptions plain;
    plain.env = {{"MANPAGER", "cat"}, {"MANWIDTH", "100"}};
    const ProgramResult shown =
        RunProgram(KIV_MAN_PROGRAM, {"--warnings=w", "-l", path}, plain);
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.err, "");
  }
  const std::string manifest =
      ReadFile(prefix + "/share/kiv/editor/vscode-kivs/package.json");
  EXPECT_NE(manifest.find("\n  \"version\": \"" KIV_VERSION "\",\n"),
            std::string::npos)
      << manifest;
}

// A script written after the install runs with the installed kivs: it is
// compiled against the installed spec file of a built-in spec, by hand with
// the stand-in compiler and at build time through the CMake package.
TEST(Package, InstalledRunnerRunsANewScript) {
  const std::string& prefix = InstalledPrefix();
  ASSERT_FALSE(prefix.empty());
  TempDir dir;
  dir.Write("hello.kiv", "print(\"Hello\", \"from\", \"Kiv\")\n");
  RunOptions inDir;
  inDir.workDir = dir.path();
  for (const char* spec : {"standalone.kivec", "standalone-oo.kivec"}) {
    SCOPED_TRACE(spec);
    const ProgramResult compiled =
        RunProgram(prefix + "/libexec/kiv-standins/kivc",
                   {prefix + "/share/kiv/" + spec, "hello.kiv"}, inDir);
    ASSERT_EQ(compiled.status, 0) << Shown(compiled);
    const ProgramResult run =
        RunProgram(prefix + "/bin/kivs", {"hello"}, inDir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Hello from Kiv\n");
  }

  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  dir.Write("project/hello.kiv", "print(\"Built\", \"with\", \"CMake\")\n");
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(Scripts NONE)\n"
            "find_package(Kiv REQUIRED COMPONENTS standins)\n"
            "add_custom_command(OUTPUT hello.kive hello.kivd\n"
            "  COMMAND Kiv::standin_kivc ${Kiv_STANDALONE_SPEC_FILE}\n"
            "          ${CMAKE_CURRENT_SOURCE_DIR}/hello.kiv -o hello\n"
            "  DEPENDS hello.kiv ${Kiv_STANDALONE_SPEC_FILE} VERBATIM)\n"
            "add_custom_target(scripts ALL DEPENDS hello.kive)\n");
  const ProgramResult built = ConfigureAndBuild(dir, generators.front());
  ASSERT_EQ(built.status, 0) << Shown(built);
  inDir.workDir = dir.Path("build");
  const ProgramResult run = RunProgram(prefix + "/bin/kivs", {"hello"}, inDir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Built with CMake\n");
}

// The pkg-config file gives clean absolute paths.
TEST(Package, PkgConfigGivesCleanPaths) {
  if (!Exists(KIV_PKG_CONFIG_PROGRAM))
    GTEST_SKIP() << "pkg-config is not available";
  const std::string& prefix = InstalledPrefix();
  ASSERT_FALSE(prefix.empty());
  RunOptions options;
  options.env = {{"PKG_CONFIG_PATH", prefix + "/share/pkgconfig"}};
  const struct {
    std::vector<std::string> args;
    std::string out;
  } rows[] = {
      {{"--modversion", "kiv"}, KIV_VERSION "\n"},
      {{"--cflags", "kiv"}, "-I" + prefix + "/include \n"},
      {{"--variable=kivg", "kiv"}, prefix + "/bin/kivg\n"},
      {{"--variable=standalone_spec_file", "kiv"},
       prefix + "/share/kiv/standalone.kivec\n"},
      {{"--variable=standalone_oo_spec_file", "kiv"},
       prefix + "/share/kiv/standalone-oo.kivec\n"},
  };
  for (const auto& row : rows) {
    const ProgramResult result =
        RunProgram(KIV_PKG_CONFIG_PROGRAM, row.args, options);
    EXPECT_EQ(result.out, row.out) << row.args.front() << "\n" << result.err;
  }
}

// The README's recipe for GNU make without CMake, run as written: kivg runs
// once after an edit of the spec or of a file it includes, a comment-only
// edit recompiles nothing, a deleted output is made again, and make keeps
// the generated C.
TEST(Package, ReadmeMakeRecipeRegeneratesOncePerEdit) {
  if (!Exists(KIV_PKG_CONFIG_PROGRAM) || !Exists(KIV_MAKE_PROGRAM))
    GTEST_SKIP() << "pkg-config or make is not available";
  ASSERT_FALSE(InstalledPrefix().empty());
  TempDir dir;
  const std::string recipe =
      ReadmeBlock("KIVG := $(shell pkg-config --variable=kivg kiv)");
  ASSERT_NE(recipe.find("\n\tKIV_SPEC_DEPFILE="), std::string::npos) << recipe;
  dir.Write("Makefile", recipe);
  ASSERT_EQ(WriteReadmeApplication(dir).size(), 5u);
  dir.Write("app.kivs", dir.Read("app.kivs") + "include settings\n");
  dir.Write("settings.kivs", "limit = 3\n");
  RunOptions options;
  options.workDir = dir.path();
  options.env = {{"PKG_CONFIG_PATH", InstalledPrefix() + "/share/pkgconfig"},
                 {"KIV_SPEC_INCLUDE", ""}};
  const auto make = [&] {
    return RunProgram(KIV_MAKE_PROGRAM, {"CC=" KIV_C_COMPILER}, options);
  };
  const std::string kivg = InstalledPrefix() + "/bin/kivg -q";
  ProgramResult built = make();
  ASSERT_EQ(built.status, 0) << Shown(built);
  EXPECT_EQ(Count(built.out, kivg), 1u) << built.out;
  EXPECT_TRUE(dir.Exists("app.o"));
  EXPECT_TRUE(dir.Exists("app.c"));

  const struct {
    const char* what;
    std::function<void()> change;
    size_t kivgRuns;  // shown on the output; a deleted file's run is not
    size_t compiled;
  } steps[] = {
      {"nothing", [] {}, 0, 0},
      {"comment in an included file",
       [&] {
         dir.Write("settings.kivs", dir.Read("settings.kivs") + "# note\n");
         MakeNewer(dir, "settings.kivs", "app.stamp");
       },
       1, 0},
      {"edit of an included file",
       [&] {
         dir.Write("settings.kivs", dir.Read("settings.kivs") + "x = 1\n");
         MakeNewer(dir, "settings.kivs", "app.stamp");
       },
       1, 3},
      {"generated C deleted", [&] { std::remove(dir.Path("app.c").c_str()); },
       0, 1},
      {"header deleted", [&] { std::remove(dir.Path("app.h").c_str()); }, 0, 3},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    built = make();
    ASSERT_EQ(built.status, 0) << Shown(built);
    EXPECT_EQ(Count(built.out, kivg), step.kivgRuns) << built.out;
    EXPECT_EQ(Count(built.out, " -c -o "), step.compiled) << built.out;
    EXPECT_TRUE(dir.Exists("app.c") && dir.Exists("app.h"));
    built = make();
    ASSERT_EQ(built.status, 0) << Shown(built);
    EXPECT_EQ(Count(built.out, kivg), 0u) << built.out;
    EXPECT_EQ(Count(built.out, " -c -o "), 0u) << built.out;
  }
}

// cpack -G DEB packs the plain install under /usr: the package this build
// makes, once per test program; empty when cpack failed.
const std::string& DebianPackage() {
  static const std::unique_ptr<TempDir> dir = std::make_unique<TempDir>();
  static const std::string package = [] {
    const ProgramResult packed = RunProgram(
        KIV_CPACK_COMMAND, {"-G", "DEB", "--config",
                            std::string(KIV_BUILD_DIR) + "/CPackConfig.cmake",
                            "-B", dir->Path("packages")});
    const std::string path =
        dir->Path("packages/kiv_" KIV_VERSION "_amd64.deb");
    return packed.status == 0 && Exists(path) ? path : std::string();
  }();
  return package;
}

TEST(Package, DebianPackagePassesLintian) {
  if (!Exists(KIV_LINTIAN_PROGRAM) || !Exists(KIV_CPACK_COMMAND))
    GTEST_SKIP() << "cpack or lintian is not available";
  ASSERT_FALSE(DebianPackage().empty());
  const ProgramResult checked =
      RunProgram(KIV_LINTIAN_PROGRAM, {"--pedantic", DebianPackage()});
  EXPECT_EQ(checked.status, 0) << Shown(checked);
  EXPECT_EQ(Count("\n" + checked.out, "\nE: "), 0u) << checked.out;
  EXPECT_EQ(Count("\n" + checked.out, "\nW: "), 0u) << checked.out;
}

// The package installs into an empty root with dpkg; its programs run from
// there, kivs runs a script compiled against the spec file it ships, the
// pkg-config file speaks of /usr, and a project asking for the stand-ins,
// which the package leaves out, is told where to get them.
TEST(Package, DebianPackageInstallsAndRuns) {
  if (!Exists(KIV_DPKG_PROGRAM) || !Exists(KIV_CPACK_COMMAND))
    GTEST_SKIP() << "cpack or dpkg is not available";
  const std::string& package = DebianPackage();
  ASSERT_FALSE(package.empty());
  TempDir dir;
  const ProgramResult fields = RunProgram(
      KIV_DPKG_PROGRAM, {"--field", package, "Package", "Version", "Depends"});
  EXPECT_EQ(
      fields.out.find("Package: kiv\nVersion: " KIV_VERSION "\nDepends: "), 0u)
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
        "root/usr/share/pkgconfig/kiv.pc", "root/usr/share/man/man1/kivg.1.gz",
        "root/usr/share/doc/kiv/copyright",
        "root/usr/share/doc/kiv/changelog.gz"})
    EXPECT_TRUE(dir.Exists(file)) << file;
  EXPECT_FALSE(dir.Exists("root/usr/libexec/kiv-standins/kivc"));
  // Static libraries only: the programs search no directory of their own.
  for (const char* program : {"root/usr/bin/kivs", "root/usr/bin/kivinfo"})
    EXPECT_EQ(dir.Read(program).find("$ORIGIN"), std::string::npos) << program;

  dir.Write("hello.kiv", "print(\"Hello\", \"from\", \"the\", \"package\")\n");
  RunOptions inDir;
  inDir.workDir = dir.path();
  const ProgramResult compiled = RunProgram(
      BinPath("kivc"),
      {dir.Path("root/usr/share/kiv/standalone.kivec"), "hello.kiv"}, inDir);
  ASSERT_EQ(compiled.status, 0) << Shown(compiled);
  const ProgramResult run =
      RunProgram(dir.Path("root/usr/bin/kivs"), {"hello"}, inDir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Hello from the package\n");

  if (Exists(KIV_PKG_CONFIG_PROGRAM)) {
    RunOptions options;
    options.env = {{"PKG_CONFIG_PATH", dir.Path("root/usr/share/pkgconfig")}};
    const ProgramResult flags =
        RunProgram(KIV_PKG_CONFIG_PROGRAM, {"--cflags", "kiv"}, options);
    EXPECT_EQ(flags.out, "\n");  // -I/usr/include goes without saying
    const ProgramResult kivg =
        RunProgram(KIV_PKG_CONFIG_PROGRAM, {"--variable=kivg", "kiv"}, options);
    EXPECT_EQ(kivg.out, "/usr/bin/kivg\n");
  }

  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(Components NONE)\n"
            "find_package(Kiv REQUIRED COMPONENTS standins)\n");
  const ProgramResult configured =
      Configure(dir.Path("project"), dir.Path("build"), generators.front(),
                dir.Path("root/usr"));
  EXPECT_NE(configured.status, 0);
  EXPECT_NE(OneLine(configured.err)
                .find("The component 'standins' is not part of the Debian "
                      "package kiv installed in " +
                      dir.Path("root/usr") +
                      ". Build the toolchain from "
                      "source and install it with the component into a "
                      "prefix of your own"),
            std::string::npos)
      << configured.err;
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
    ProgramResult built = ConfigureAndBuild(dir, generator);
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
      if (generator.IsNinja()) {
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
