// Applications built as a user builds one: kivg's C source and header
// compiled with an application's own C functions and linked with the
// stand-in engine, running a script that kivc compiled against kivg's spec
// file. Each call a script makes must reach the C function its spec binds,
// with the argument the script passed.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// Every app function takes one parameter and prints its name and argument.
std::string ApplicationSource(const std::vector<std::string>& functions) {
  std::string text =
      "#include <stdio.h>\n"
      "#include <stdlib.h>\n"
      "#include \"app.h\"\n"
      "\n"
      "static KivRunResult Show(KivEngine *engine, const char *function,\n"
      "                         KivDataEntry *value)\n"
      "{\n"
      "    KivDataEntry *text = KivToString(engine, value);\n"
      "    char buffer[256];\n"
      "    size_t size = 0;\n"
      "    if (text == NULL)\n"
      "        return KivRunResult_OutOfDataMemory;\n"
      "    KivStringValue(engine, text, &size, NULL, 0, 0);\n"
      "    if (size >= sizeof buffer)\n"
      "        size = sizeof buffer - 1;\n"
      "    KivStringValue(engine, text, NULL, buffer, 0, size);\n"
      "    buffer[size] = 0;\n"
      "    KivUnref(engine, text);\n"
      "    printf(\"%s(%s)\\n\", function, buffer);\n"
      "    return KivRunResult_OK;\n"
      "}\n";
  for (const std::string& function : functions) {
    text +=
        "\nKivRunResult " + function +
        "(KivEngine *engine, KivDataEntry *value, KivDataEntry **returnValue)\n"
        "{\n"
        "    return Show(engine, \"" +
        function +
        "\", value);\n"
        "}\n";
  }
  text +=
      "\n"
      "int main(int argc, char **argv)\n"
      "{\n"
      "    static char code[65536];\n"
      "    size_t codeSize;\n"
      "    size_t dataSize = 1024 * KivDataEntrySize();\n"
      "    void *data = malloc(dataSize);\n"
      "    KivEngine engine;\n"
      "    KivRunResult result;\n"
      "    FILE *file = argc == 2 ? fopen(argv[1], \"rb\") : NULL;\n"
      "    if (file == NULL || data == NULL)\n"
      "        return 3;\n"
      "    codeSize = fread(code, 1, sizeof code, file);\n"
      "    fclose(file);\n"
      "    result = KivInitialize(&engine, NULL, 0, data, dataSize, "
      "&KivAppSpec_app, NULL);\n"
      "    if (result != KivRunResult_OK)\n"
      "        printf(\"initialize %d\\n\", (int)result);\n"
      "    else if (KivSealCode(&engine, (const uint8_t *)code, codeSize) != "
      "KivAddCodeResult_OK)\n"
      "        printf(\"code refused\\n\");\n"
      "    else\n"
      "    {\n"
      "        do\n"
      "            result = KivStep(&engine);\n"
      "        while (result == KivRunResult_OK);\n"
      "        printf(\"run result %d\\n\", (int)result);\n"
      "    }\n"
      "    free(data);\n"
      "    return 0;\n"
      "}\n";
  return text;
}

std::string Shown(const ProgramResult& result) {
  return "status " + std::to_string(result.status) + "\n" + result.out +
         result.err;
}

struct AppCase {
  const char* label;
  std::map<std::string, std::string> specs;  // app.kivs and its modules
  std::vector<std::string> functions;        // the C functions they bind
  std::string script;
  std::string output;  // what the application prints
};

// kivg, kivc, the C compiler and the linker, then the application.
std::string BuildAndRun(const AppCase& c) {
  TempDir dir;
  for (const auto& spec : c.specs) dir.Write(spec.first, spec.second);
  dir.Write("run.kiv", c.script);
  dir.Write("main.c", ApplicationSource(c.functions));
  RunOptions options;
  options.workDir = dir.path();
  options.env.push_back({"KIV_SPEC_INCLUDE", std::string("")});

  const ProgramResult generated =
      RunProgram(BinPath("kivg"), {"-q", "app.kivs"}, options);
  EXPECT_EQ(generated.status, 0) << Shown(generated);
  EXPECT_EQ(generated.err, "");
  const ProgramResult compiled =
      RunProgram(BinPath("kivc"), {"app.kivec", "run.kiv"}, options);
  EXPECT_EQ(compiled.status, 0) << Shown(compiled);
  if (generated.status != 0 || compiled.status != 0) return "";

  const std::string include = "-I" + SourcePath("include");
  const std::string flags = KIV_APP_FLAGS;
  for (const char* source : {"app.c", "main.c"}) {
    std::vector<std::string> args = {
        "-std=c99", "-Wall", "-Wextra", "-Wno-unused-parameter",
        "-Werror",  include, "-c",      source};
    if (!flags.empty()) args.push_back(flags);
    const ProgramResult object = RunProgram(KIV_C_COMPILER, args, options);
    EXPECT_EQ(object.status, 0) << source << "\n" << Shown(object);
    if (object.status != 0) return "";
  }
  // The stand-in engine is C++, so the C++ compiler links.
  std::vector<std::string> link = {
      "app.o", "main.o", KIV_STANDIN_ENGINE_LIBRARY, "-o", "application"};
  if (!flags.empty()) link.push_back(flags);
  const ProgramResult linked = RunProgram(KIV_CXX_COMPILER, link, options);
  EXPECT_EQ(linked.status, 0) << Shown(linked);
  if (linked.status != 0) return "";

  const ProgramResult ran =
      RunProgram(dir.Path("application"), {"run.kive"}, options);
  EXPECT_EQ(ran.status, 0) << Shown(ran);
  EXPECT_EQ(ran.err, "");
  return ran.out;
}

TEST(GeneratedApplication, CallsReachTheBoundFunctionsWithTheirArguments) {
  const AppCase cases[] = {
      // The oldest encoding numbers its entries by position, so a bare
      // reserved name must not take a position.
      {"bare __main__ before the functions",
       {{"app.kivs", "__main__\ndef f(a) = F\ndef g(b) = G\n"}},
       {"F", "G"},
       "f(1)\ng(2)\n",
       "F(1)\nG(2)\nrun result 1\n"},
      {"bare sys and args among other bare names",
       {{"app.kivs", "sys\nA\nargs\ndef f(a) = F\ndef g(b) = G\nz\n"}},
       {"F", "G"},
       "g('x')\nf(2.5)\n",
       "G(x)\nF(2.5)\nrun result 1\n"},
      {"imports with the class feature",
       {{"app.kivs", "+class\nimport m as y\nimport n as z\n"},
        {"m.kivs", "def mf(a) = M\n"},
        {"n.kivs", "def nf(a) = N\n"}},
       {"M", "N"},
       "z.nf(1)\ny.mf(2)\n",
       "N(1)\nM(2)\nrun result 1\n"},
      {"a class feature name as an alias while the feature is off",
       {{"app.kivs", "import m as __get__\nimport n as z\n"},
        {"m.kivs", "def mf(a) = M\n"},
        {"n.kivs", "def nf(a) = N\n"}},
       {"M", "N"},
       "z.nf(1)\n__get__.mf(2)\n",
       "N(1)\nM(2)\nrun result 1\n"},
  };
  for (const AppCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(BuildAndRun(c), c.output);
  }
}

}  // namespace
