// kiv_add_app_spec as outside projects use it through find_package(Kiv):
// the README's first application as written, targets in other directories,
// one spec in several targets, and rebuilds after edits and deletions, with
// every generator.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/ecosystem/outside_build.h"

namespace {

const char kGenerating[] = "Generating Kiv app spec app";

// The spec and C code every project here shares: app.kivs includes
// specs/settings.kivs through INCLUDE_DIRS, and uses_spec.c reads the
// generated header.
void WriteSpecFiles(const TempDir& dir) {
  dir.Write("project/app.kivs", "include settings\ndef run(mode=1) = AppRun\n");
  dir.Write("project/specs/settings.kivs", "limit = 3\n");
  dir.Write("project/uses_spec.c",
            "#include \"app.h\"\n"
            "int AppSymbol(void) { return KIV_APP_app_SYM_limit; }\n");
}

// A static library compiling the spec's code, as most tests here use.
void WriteLibraryProject(const TempDir& dir) {
  WriteSpecFiles(dir);
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(Library LANGUAGES C)\n"
            "find_package(Kiv REQUIRED)\n"
            "add_library(appspec STATIC uses_spec.c)\n"
            "kiv_add_app_spec(appspec app.kivs INCLUDE_DIRS specs)\n");
}

// After a build with nothing to do: Ninja says so; make runs no rule.
void ExpectNothingDone(const Generator& generator, const ProgramResult& built) {
  if (generator.IsNinja()) {
    EXPECT_EQ(built.out, "ninja: no work to do.\n");
  } else {
    EXPECT_EQ(Count(built.out, kGenerating), 0u) << built.out;
    EXPECT_EQ(Count(built.out, "Building"), 0u) << built.out;
    EXPECT_EQ(Count(built.out, "Linking"), 0u) << built.out;
  }
}

// README's first application, built as written with every generator: its
// spec, app functions, main.c, script and CMakeLists.txt, the script
// compiled against the spec file of the build.
TEST(AppSpecFunction, ReadmeFirstApplicationBuildsAndRunsAsWritten) {
  for (const Generator& generator : Generators()) {
    SCOPED_TRACE(generator.name);
    TempDir dir;
    ASSERT_EQ(WriteReadmeApplication(dir, "myapp/").size(), 5u);
    const ProgramResult built = ConfigureAndBuild(dir, generator, "myapp");
    ASSERT_EQ(built.status, 0) << Shown(built);
    const ProgramResult run =
        RunProgram(generator.Built(dir.Path("build"), "myapp"),
                   {dir.Path("build/hello.kive")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Hello, world!\nWelcome, Kiv!\n5.5\n42\n");
  }
}

// A language the generated code or the engine needs and the project lacks
// is told when the project is configured, not as a file left out of the
// target or with the C++ runtime's undefined references when it links.
TEST(AppSpecFunction, MissingLanguageIsToldAtConfigureTime) {
  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  const struct {
    const char* lists;
    const char* message;
  } rows[] = {
      {"project(CxxOnly LANGUAGES CXX)\n"
       "find_package(Kiv REQUIRED)\n"
       "add_library(appspec STATIC uses.cc)\n"
       "kiv_add_app_spec(appspec app.kivs INCLUDE_DIRS specs)\n",
       "kiv_add_app_spec: kivg generates C code, but C is not enabled in this "
       "project."},
      // The stand-in engine is written in C++.
      {"project(COnly LANGUAGES C)\n"
       "find_package(Kiv REQUIRED COMPONENTS standins)\n"
       "add_executable(app uses_spec.c)\n"
       "kiv_add_app_spec(app app.kivs INCLUDE_DIRS specs\n"
       "                 ENGINE Kiv::standin_engine)\n",
       "kiv_add_app_spec: the engine Kiv::standin_engine is written in C++, "
       "but C++ is not enabled in this project."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    TempDir dir;
    WriteSpecFiles(dir);
    dir.Write("project/uses.cc", "int Unused() { return 0; }\n");
    dir.Write(
        "project/CMakeLists.txt",
        std::string("cmake_minimum_required(VERSION 3.20)\n") + row.lists);
    const ProgramResult configured =
        Configure(dir.Path("project"), dir.Path("build"), generators.front());
    EXPECT_NE(configured.status, 0);
    EXPECT_NE(OneLine(configured.err).find(row.message), std::string::npos)
        << configured.err;
  }
}

// The target is made at the top, the spec is added to it in a
// subdirectory: the rule must still run before the target compiles.
TEST(AppSpecFunction, CallFromAnotherDirectoryThanTheTarget) {
  for (const Generator& generator : Generators()) {
    SCOPED_TRACE(generator.name);
    TempDir dir;
    WriteSpecFiles(dir);
    dir.Write("project/CMakeLists.txt",
              "cmake_minimum_required(VERSION 3.20)\n"
              "project(Subdirectory LANGUAGES C)\n"
              "find_package(Kiv REQUIRED)\n"
              "add_library(appspec STATIC uses_spec.c)\n"
              "add_subdirectory(generated)\n");
    dir.Write("project/generated/CMakeLists.txt",
              "kiv_add_app_spec(appspec ../app.kivs INCLUDE_DIRS ../specs)\n");
    const ProgramResult built = ConfigureAndBuild(dir, generator);
    ASSERT_EQ(built.status, 0) << Shown(built);
    EXPECT_EQ(Count(built.out, kGenerating), 1u) << built.out;
    EXPECT_TRUE(dir.Exists("build/generated/app.c"));
  }
}

// Two libraries compile one spec's code; each build runs kivg once, also
// with two jobs. The second call hands back the generated files.
TEST(AppSpecFunction, OneSpecInTwoTargetsRunsKivgOnce) {
  for (const Generator& generator : Generators()) {
    SCOPED_TRACE(generator.name);
    TempDir dir;
    WriteSpecFiles(dir);
    dir.Write(
        "project/CMakeLists.txt",
        "cmake_minimum_required(VERSION 3.20)\n"
        "project(TwoTargets LANGUAGES C)\n"
        "find_package(Kiv REQUIRED)\n"
        "add_library(one STATIC uses_spec.c)\n"
        "add_library(two STATIC uses_spec.c)\n"
        "kiv_add_app_spec(one app.kivs INCLUDE_DIRS specs)\n"
        "kiv_add_app_spec(two app.kivs INCLUDE_DIRS specs OUT_VAR files)\n"
        "message(STATUS \"files: ${files}\")\n");
    const ProgramResult configured =
        Configure(dir.Path("project"), dir.Path("build"), generator);
    ASSERT_EQ(configured.status, 0) << Shown(configured);
    const std::string build = dir.Path("build");
    EXPECT_NE(configured.out.find("-- files: " + build + "/app.kivec;" + build +
                                  "/app.h;" + build + "/app.c\n"),
              std::string::npos)
        << configured.out;

    ProgramResult built = Build(build);
    ASSERT_EQ(built.status, 0) << Shown(built);
    EXPECT_EQ(Count(built.out, kGenerating), 1u) << built.out;
    MakeNewer(dir, "project/specs/settings.kivs", "build/app.c");
    built = Build(build);
    ASSERT_EQ(built.status, 0) << Shown(built);
    EXPECT_EQ(Count(built.out, kGenerating), 1u) << built.out;
  }
}

TEST(AppSpecFunction, SecondCallWithOtherOptionsIsRefused) {
  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  TempDir dir;
  WriteSpecFiles(dir);
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(Conflict LANGUAGES C)\n"
            "find_package(Kiv REQUIRED)\n"
            "add_library(one STATIC uses_spec.c)\n"
            "add_library(two STATIC uses_spec.c)\n"
            "kiv_add_app_spec(one app.kivs INCLUDE_DIRS specs)\n"
            "kiv_add_app_spec(two app.kivs)\n");
  const ProgramResult configured =
      Configure(dir.Path("project"), dir.Path("build"), generators.front());
  EXPECT_NE(configured.status, 0);
  EXPECT_NE(OneLine(configured.err)
                .find("kiv_add_app_spec: " + dir.Path("build") +
                      "/app.c is already generated by an earlier call"),
            std::string::npos)
      << configured.err;
  EXPECT_EQ(configured.err.find("already has a custom rule"), std::string::npos)
      << configured.err;
}

// A comment changes no generated code: kivg runs again, nothing is
// compiled or linked, and the build after that has nothing to do.
TEST(AppSpecFunction, CommentOnlyEditRecompilesNothing) {
  for (const Generator& generator : Generators()) {
    SCOPED_TRACE(generator.name);
    TempDir dir;
    WriteLibraryProject(dir);
    ProgramResult built = ConfigureAndBuild(dir, generator);
    ASSERT_EQ(built.status, 0) << Shown(built);

    for (const char* edited :
         {"project/app.kivs", "project/specs/settings.kivs"}) {
      SCOPED_TRACE(edited);
      dir.Write(edited, dir.Read(edited) + "# a comment\n");
      MakeNewer(dir, edited, "build/app.c");
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      EXPECT_EQ(Count(built.out, kGenerating), 1u) << built.out;
      EXPECT_EQ(Count(built.out, "Building"), 0u) << built.out;
      EXPECT_EQ(Count(built.out, "Linking"), 0u) << built.out;

      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      ExpectNothingDone(generator, built);
    }
  }
}

// A generated file or the dependency file deleted by hand makes the next
// build run kivg once and brings the file back; the build after that has
// nothing to do. (The Makefile generators never remake a mere byproduct.)
TEST(AppSpecFunction, DeletedGeneratedFileIsMadeAgain) {
  for (const Generator& generator : Generators()) {
    SCOPED_TRACE(generator.name);
    TempDir dir;
    WriteLibraryProject(dir);
    ProgramResult built = ConfigureAndBuild(dir, generator);
    ASSERT_EQ(built.status, 0) << Shown(built);
    for (const std::string deleted :
         {"app.kivec", "app.h", "app.c", "app.kivs.d"}) {
      SCOPED_TRACE(deleted);
      std::remove(dir.Path("build/" + deleted).c_str());
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      EXPECT_EQ(Count(built.out, kGenerating), 1u) << built.out;
      EXPECT_TRUE(dir.Exists("build/" + deleted));
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      ExpectNothingDone(generator, built);
    }
  }
}

// One spec generated into two output directories runs kivg once for each;
// the progress lines tell the two runs apart.
TEST(AppSpecFunction, ProgressLineNamesTheOutputDirectory) {
  const std::vector<Generator> generators = Generators();
  ASSERT_FALSE(generators.empty());
  TempDir dir;
  WriteSpecFiles(dir);
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(TwoDirectories LANGUAGES C)\n"
            "find_package(Kiv REQUIRED)\n"
            "add_library(one STATIC uses_spec.c)\n"
            "add_library(two STATIC uses_spec.c)\n"
            "kiv_add_app_spec(one app.kivs INCLUDE_DIRS specs)\n"
            "kiv_add_app_spec(two app.kivs INCLUDE_DIRS specs\n"
            "                 OUTPUT_DIR generated/two)\n");
  const ProgramResult configured =
      Configure(dir.Path("project"), dir.Path("build"), generators.front());
  ASSERT_EQ(configured.status, 0) << Shown(configured);
  const ProgramResult built = Build(dir.Path("build"));
  ASSERT_EQ(built.status, 0) << Shown(built);
  EXPECT_EQ(Count(built.out, "Generating Kiv app spec app in .\n"), 1u)
      << built.out;
  EXPECT_EQ(Count(built.out, "Generating Kiv app spec app in generated/two\n"),
            1u)
      << built.out;
}

// After each kivg run the dependency file is made to name itself as the
// target, escaped as kivg escapes paths, whatever the build directory's
// name holds; everything after the targets stays as kivg wrote it.
TEST(AppSpecFunction, DependencyFileNamesItselfAsTarget) {
  const struct {
    const char* directory;
    const char* escaped;
  } cases[] = {{"plain", "plain"},
               {"with space", "with\\ space"},
               {"hash#dollar$", "hash\\#dollar$$"},
               {"back\\ slash", "back\\\\\\ slash"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.directory);
    TempDir dir;
    const std::string out = dir.Path(c.directory);
    const std::string escaped = dir.path() + "/" + c.escaped;
    const std::string prerequisites = " /src/app.kivs \\\n /src/a\\ b.kivs\n";
    dir.Write(std::string(c.directory) + "/app.kivs.d",
              escaped + "/app.kivec " + escaped + "/app.h " + escaped +
                  "/app.c:" + prerequisites);
    const ProgramResult run = RunProgram(
        KIV_CMAKE_COMMAND,
        {"-DDEPFILE=" + out + "/app.kivs.d",
         "-DOUTPUTS=" + out + "/app.kivec;" + out + "/app.h;" + out + "/app.c",
         "-P", SourcePath("cmake/KivAppSpecDepfile.cmake")});
    ASSERT_EQ(run.status, 0) << Shown(run);
    EXPECT_EQ(dir.Read(std::string(c.directory) + "/app.kivs.d"),
              escaped + "/app.kivs.d:" + prerequisites);
  }
}

}  // namespace
