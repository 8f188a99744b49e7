// The installed toolchain as an outside project sees it: this build is
// installed into a scratch prefix, then projects are configured with
// find_package(Kiv) and built with the make and Ninja generators.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const char kGenerating[] = "Generating Kiv app spec app";

bool Exists(const std::string& path) {
  std::error_code ignored;
  return !path.empty() && fs::exists(path, ignored);
}

std::string Shown(const ProgramResult& result) {
  return "status " + std::to_string(result.status) + "\n" + result.out +
         result.err;
}

// An outside project: a static library whose app spec includes one file and
// imports one module, both found through INCLUDE_DIRS.
void WriteOutsideProject(const TempDir& dir) {
  dir.Write("project/CMakeLists.txt",
            "cmake_minimum_required(VERSION 3.20)\n"
            "project(Outside LANGUAGES C)\n"
            "find_package(Kiv 1.3 REQUIRED)\n"
            "add_library(appspec STATIC uses_spec.c)\n"
            "kiv_add_app_spec(appspec specs/app.kivs INCLUDE_DIRS specs/common)\n"
            "target_link_libraries(appspec PRIVATE Kiv::interface)\n");
  dir.Write("project/uses_spec.c",
            "#include \"app.h\"\n"
            "int AppSymbol(void) { return KIV_APP_app_SYM_limit; }\n");
  dir.Write("project/specs/app.kivs",
            "include settings\nimport io\ndef run(mode=1) = AppRun\n");
  dir.Write("project/specs/common/settings.kivs", "limit = 3\n");
  dir.Write("project/specs/common/io.kivs", "def send(*bytes) = IoSend\n");
}

class PackageTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!Exists(KIV_CMAKE_COMMAND)) GTEST_SKIP() << "cmake is not available";
    for (const std::string component : {"", "standins"}) {
      std::vector<std::string> args = {"--install", KIV_BUILD_DIR, "--prefix",
                                       prefix_.path()};
      if (!component.empty()) args.insert(args.end(), {"--component", component});
      const ProgramResult installed = RunProgram(KIV_CMAKE_COMMAND, args);
      ASSERT_EQ(installed.status, 0) << Shown(installed);
    }
  }

  // The generators this machine can build with: Ninja and make.
  static std::vector<std::pair<std::string, std::string>> Generators() {
    std::vector<std::pair<std::string, std::string>> generators;
    if (Exists(KIV_NINJA_PROGRAM)) generators.push_back({"Ninja", KIV_NINJA_PROGRAM});
    if (Exists(KIV_MAKE_PROGRAM))
      generators.push_back({"Unix Makefiles", KIV_MAKE_PROGRAM});
    return generators;
  }

  ProgramResult Configure(const std::string& source, const std::string& build,
                          const std::pair<std::string, std::string>& generator) {
    const std::string flags = KIV_OUTSIDE_FLAGS;
    return RunProgram(
        KIV_CMAKE_COMMAND,
        {"-S", source, "-B", build, "-G", generator.first,
         "-DCMAKE_MAKE_PROGRAM=" + generator.second,
         "-DCMAKE_PREFIX_PATH=" + prefix_.path(),
         "-DCMAKE_C_COMPILER=" KIV_C_COMPILER,
         "-DCMAKE_CXX_COMPILER=" KIV_CXX_COMPILER, "-DCMAKE_C_FLAGS=" + flags,
         "-DCMAKE_CXX_FLAGS=" + flags, "-DCMAKE_EXE_LINKER_FLAGS=" + flags});
  }

  ProgramResult Build(const std::string& build) {
    return RunProgram(KIV_CMAKE_COMMAND, {"--build", build, "-j", "2"});
  }

  TempDir prefix_;
};

// Makes the file newer than everything built so far. The file system's
// clock may not have moved since the last output was written, so this waits
// for a fresh file's time to pass the newest output's first.
void Touch(const TempDir& dir, const std::string& relative,
           const std::string& newestOutput) {
  const fs::file_time_type built = fs::last_write_time(dir.Path(newestOutput));
  for (;;) {
    dir.Write("clock-probe", "");
    if (fs::last_write_time(dir.Path("clock-probe")) > built) break;
  }
  fs::last_write_time(dir.Path(relative), fs::last_write_time(dir.Path("clock-probe")));
}

TEST_F(PackageTest, InstallsProgramsHeadersPagesAndPackage) {
  for (const char* file :
       {"bin/kivg", "bin/kivs", "bin/kivinfo", "include/kiv.h", "include/kivd.h",
        "share/man/man1/kivg.1", "share/man/man1/kivs.1",
        "share/man/man1/kivinfo.1", "lib/cmake/Kiv/KivConfig.cmake",
        "lib/cmake/Kiv/KivAppSpec.cmake", "libexec/kiv-standins/kivc"})
    EXPECT_TRUE(prefix_.Exists(file)) << file;
  // kivc is a stand-in: it stays off the program path.
  EXPECT_FALSE(prefix_.Exists("bin/kivc"));
  const ProgramResult version = RunProgram(prefix_.Path("bin/kivg"), {"-v"});
  EXPECT_EQ(version.out, "Kiv generator version 1.3.1.0\n");
}

TEST_F(PackageTest, SpecIsRegeneratedOnlyWhenASourceChanges) {
  for (const auto& generator : Generators()) {
    SCOPED_TRACE(generator.first);
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
      Touch(dir, changed, "build/app.c");
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      EXPECT_NE(built.out.find(kGenerating), std::string::npos) << built.out;

      const fs::file_time_type generated = fs::last_write_time(dir.Path("build/app.c"));
      built = Build(dir.Path("build"));
      ASSERT_EQ(built.status, 0) << Shown(built);
      EXPECT_EQ(built.out.find(kGenerating), std::string::npos) << built.out;
      EXPECT_EQ(fs::last_write_time(dir.Path("build/app.c")), generated);
      if (generator.first == "Ninja") {
        EXPECT_EQ(built.out, "ninja: no work to do.\n");
      }
    }
  }
}

TEST_F(PackageTest, EmbeddingExampleBuildsAndRuns) {
  const auto generators = Generators();
  ASSERT_FALSE(generators.empty());
  TempDir dir;
  const ProgramResult configured = Configure(
      SourcePath("examples/embedding"), dir.Path("build"), generators.front());
  ASSERT_EQ(configured.status, 0) << Shown(configured);
  const ProgramResult built = Build(dir.Path("build"));
  ASSERT_EQ(built.status, 0) << Shown(built);

  const ProgramResult run = RunProgram(dir.Path("build/device"),
                                       {dir.Path("build/hello.kive")});
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
