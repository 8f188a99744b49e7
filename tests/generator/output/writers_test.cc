// The three output writers of kivg, on models built the way the parser builds
// them: whole outputs compared byte for byte, the encoded spec entries of each
// definition kind, and the internal errors of writers run out of order.
#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "format/coding.h"
#include "generator/model/generator.h"
#include "generator/model/name_numbering.h"
#include "generator/output/byte_writer.h"
#include "generator/output/header_writer.h"
#include "generator/output/source_writer.h"
#include "generator/output/spec_file_writer.h"
#include "tests/generator/kivg_run.h"
#include "tests/generator/spec_builder.h"
#include "tests/support/temp_dir.h"

namespace coding = kivformat::coding;

namespace kivg {
namespace {

using namespace spec_builder;

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

// The lines of the record between "{" and "};" without their indentation:
// the entry literals, then the size / check value line.
std::vector<std::string> RecordLines(const std::string& source) {
  std::vector<std::string> lines;
  size_t start = source.find(" =\n{\n");
  if (start == std::string::npos) return lines;
  std::istringstream in(source.substr(start + 5));
  std::string line;
  while (std::getline(in, line) && line != "};")
    lines.push_back(line.substr(4));
  return lines;
}

// The literal of one encoded entry.
std::string Entry(const std::string& bytes) {
  std::string text = "\"";
  AppendEscapes(text, bytes);
  return text + '"';
}

const char kHeaderTail[] =
    "\n"
    "#ifdef __cplusplus\n"
    "}\n"
    "#endif\n"
    "\n"
    "#endif\n";

std::string HeaderHead(const std::string& id) {
  return "/*** AUTO-GENERATED; DO NOT EDIT ***/\n"
         "\n"
         "#ifndef KIV_APP_" +
         id +
         "_DEF_H\n"
         "#define KIV_APP_" +
         id +
         "_DEF_H\n"
         "\n"
         "#include <kiv.h>\n"
         "\n"
         "#ifdef __cplusplus\n"
         "extern \"C\" {\n"
         "#endif\n"
         "\n"
         "extern KivAppSpec KivAppSpec_" +
         id +
         ";\n"
         "\n";
}

std::string OldEngineDispatchHead(const std::string& headerFileName = "app.h") {
  return "/*** AUTO-GENERATED; DO NOT EDIT ***/\n"
         "\n"
         "#include \"" +
         headerFileName +
         "\"\n"
         "#include <stdint.h>\n"
         "\n"
         "static KivRunResult KivDispatch_app\n"
         "    (KivEngine *engine,\n"
         "     #if KIV_VERSION >= 0x01020300\n"
         "     int32_t moduleSymbol,\n"
         "     #endif\n"
         "     int32_t functionSymbol,\n"
         "     KivDataEntry *ns, KivDataEntry **returnValue)\n"
         "{\n"
         "    #if KIV_VERSION >= 0x01020300\n"
         "    switch (moduleSymbol)\n"
         "    {\n"
         "        case 0:\n"
         "    #endif\n"
         "            switch (functionSymbol)\n"
         "            {\n"
         "                default:\n"
         "                    break;\n";
}

const char kOldEngineDispatchTail[] =
    "            }\n"
    "    #if KIV_VERSION >= 0x01020300\n"
    "            break;\n"
    "    }\n"
    "    #endif\n"
    "    return KivRunResult_UndefinedAppFunction;\n"
    "}\n";

const char kNewEngineHead[] =
    "/*** AUTO-GENERATED; DO NOT EDIT ***/\n"
    "\n"
    "#include \"app.h\"\n"
    "#include <stdint.h>\n"
    "\n"
    "#if KIV_VERSION < 0x01020300\n"
    "#error Kiv engine must be version 1.2.3.0 or greater\n"
    "#endif\n"
    "\n"
    "static KivRunResult KivDispatch_app\n"
    "    (KivEngine *engine,\n"
    "     int32_t moduleSymbol, int32_t functionSymbol,\n"
    "     KivDataEntry *ns, KivDataEntry **returnValue)\n"
    "{\n"
    "    switch (moduleSymbol)\n"
    "    {\n";

const char kNewEngineTail[] =
    "    }\n"
    "    return KivRunResult_UndefinedAppFunction;\n"
    "}\n";

// The worked example: def f(a, b=1) = F in app.kivs.
const char kWorkedExampleSource[] = "def f(a, b=1) = F\n";

std::string WorkedExampleSpecFile() {
  return std::string("KivS\x01\x11\xC5\x44\x6E") + "f\na\nb\n";
}

std::string WorkedExampleHeader() {
  return HeaderHead("app") +
         "#define KIV_APP_app_SYM___main__ 2\n"
         "#define KIV_APP_app_SYM_a 65\n"
         "#define KIV_APP_app_SYM_args 1\n"
         "#define KIV_APP_app_SYM_b 66\n"
         "#define KIV_APP_app_SYM_f 64\n"
         "#define KIV_APP_app_SYM_sys 0\n"
         "\n"
         "KivRunResult F\n"
         "    (KivEngine *,\n"
         "     KivDataEntry *_a,\n"
         "     KivDataEntry *_b,\n"
         "     KivDataEntry **returnValue);\n" +
         kHeaderTail;
}

std::string WorkedExampleSource(const std::string& headerFileName) {
  return OldEngineDispatchHead(headerFileName) +
         "                case 64:\n"
         "                {\n"
         "                    KivDataEntry *_a = KivParameterValue(engine, ns, "
         "65);\n"
         "                    if (_a == 0)\n"
         "                        return KivRunResult_OutOfDataMemory;\n"
         "                    KivDataEntry *_b = KivParameterValue(engine, ns, "
         "66);\n"
         "                    if (_b == 0)\n"
         "                        return KivRunResult_OutOfDataMemory;\n"
         "                    return F(engine, _a, _b, returnValue);\n"
         "                }\n" +
         kOldEngineDispatchTail +
         "\n"
         "KivAppSpec KivAppSpec_app =\n"
         "{\n"
         "    \"\\x02\\0\\0\\0\\x41\\x10\\0\\0\\x42\\x03\\0\\0\\0\\x01\",\n"
         "    14, 0x11C5446E, KivDispatch_app\n"
         "};\n";
}

TEST(WritersGolden, FunctionWithDefault) {
  SpecBuilder spec;
  spec.Def("f", {Positional("a"), WithDefault("b", IntegerValue(1))}, "F");
  Outputs out = spec.Write();
  EXPECT_EQ(WorkedExampleSpecFile(), out.specFile);
  EXPECT_EQ(WorkedExampleHeader(), out.header);
  EXPECT_EQ(WorkedExampleSource("app.h"), out.source);
}

// As a user runs it, with the outputs sent elsewhere: the C source includes
// the header by the name it was written under.
TEST(WritersGolden, KivgWritesTheWorkedExample) {
  TempDir dir;
  dir.Write("app.kivs", kWorkedExampleSource);
  dir.MakeDir("out");
  dir.MakeDir("gen");
  ProgramResult result =
      RunKivg(dir, {"-q", "-s", "out/", "-c", "gen/x", "app.kivs"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.out);
  EXPECT_EQ("", result.err);
  EXPECT_EQ((std::vector<std::string>{"app.kivs", "gen/x.c", "gen/x.h",
                                      "out/app.kivec"}),
            dir.Files());
  EXPECT_EQ(WorkedExampleSpecFile(), dir.Read("out/app.kivec"));
  EXPECT_EQ(WorkedExampleHeader(), dir.Read("gen/x.h"));
  EXPECT_EQ(WorkedExampleSource("x.h"), dir.Read("gen/x.c"));
}

TEST(WritersGolden, EmptySpec) {
  Outputs out = SpecBuilder().Write();

  EXPECT_EQ(std::string("KivS\x01\0\0\0\0", 9), out.specFile);
  // With no user name numbered the reserved names are still listed.
  EXPECT_EQ(HeaderHead("app") +
                "#define KIV_APP_app_SYM___main__ 2\n"
                "#define KIV_APP_app_SYM_args 1\n"
                "#define KIV_APP_app_SYM_sys 0\n" +
                kHeaderTail,
            out.header);
  // The record of a spec without entries holds one empty literal.
  EXPECT_EQ(OldEngineDispatchHead() + kOldEngineDispatchTail +
                "\n"
                "KivAppSpec KivAppSpec_app =\n"
                "{\n"
                "    \"\",\n"
                "    0, 0x00000000, KivDispatch_app\n"
                "};\n",
            out.source);
}

TEST(WritersGolden, ImportedModule) {
  SpecBuilder spec;
  spec.Import("m");
  spec.StartModule("m");
  spec.Constant("x", IntegerValue(5)).Def("g", {Positional("a")}, "G");
  Outputs out = spec.Write();

  EXPECT_EQ(std::string("KivS\x02\x50\x6E\xB6\xE6") + "m  g x a ",
            out.specFile);
  EXPECT_EQ(HeaderHead("app") +
                "#define KIV_APP_app_SYM___main__ 2\n"
                "#define KIV_APP_app_SYM_a 67\n"
                "#define KIV_APP_app_SYM_args 1\n"
                "#define KIV_APP_app_SYM_g 65\n"
                "#define KIV_APP_app_SYM_m 64\n"
                "#define KIV_APP_app_SYM_sys 0\n"
                "#define KIV_APP_app_SYM_x 66\n"
                "\n"
                "KivRunResult G\n"
                "    (KivEngine *,\n"
                "     KivDataEntry *_a,\n"
                "     KivDataEntry **returnValue);\n" +
                kHeaderTail,
            out.header);
  EXPECT_EQ(std::string(kNewEngineHead) +
                "        case 0:\n"
                "            switch (functionSymbol)\n"
                "            {\n"
                "                default:\n"
                "                    break;\n"
                "            }\n"
                "            break;\n"
                "        case -1:\n"
                "            switch (functionSymbol)\n"
                "            {\n"
                "                default:\n"
                "                    break;\n"
                "                case 65:\n"
                "                {\n"
                "                    KivDataEntry *_a = "
                "KivParameterValue(engine, ns, 67);\n"
                "                    if (_a == 0)\n"
                "                        return KivRunResult_OutOfDataMemory;\n"
                "                    return G(engine, _a, returnValue);\n"
                "                }\n"
                "            }\n"
                "            break;\n" +
                kNewEngineTail +
                "\n"
                "KivAppSpec KivAppSpec_app =\n"
                "{\n"
                "    \"\\xFF\\xFF\\x01\\0\\0\\0\\x01\"\n"
                "    \"\\xFC\\xFF\\xFF\\xFF\\xFF\"\n"
                "    \"\\xFD\"\n"
                "    \"\\x01\\0\\0\\0\\x41\\0\\0\\0\\x43\"\n"
                "    \"\\xFF\\0\\0\\0\\x42\\x03\\0\\0\\0\\x05\",\n"
                "    32, 0x506EB6E6, KivDispatch_app\n"
                "};\n",
            out.source);
}

TEST(WritersGolden, ClassWithMemberFunction) {
  SpecBuilder spec;
  spec.EnableClasses().Class("C").Def("m", {Positional("x")}, "Cm").EndClass();
  Outputs out = spec.Write();

  // C and m are definition names, x and self parameter names; the member's
  // qualified name C:m is numbered (68) but not written.
  EXPECT_EQ(std::string("KivS\x03\x4C\x0D\x52\x9A\x01") + " C m x self ",
            out.specFile);
  EXPECT_EQ(HeaderHead("app") +
                "#define KIV_APP_app_SYM_C 64\n"
                "#define KIV_APP_app_SYM___call__ 8\n"
                "#define KIV_APP_app_SYM___func__ 7\n"
                "#define KIV_APP_app_SYM___get__ 4\n"
                "#define KIV_APP_app_SYM___init__ 3\n"
                "#define KIV_APP_app_SYM___main__ 2\n"
                "#define KIV_APP_app_SYM_args 1\n"
                "#define KIV_APP_app_SYM_m 65\n"
                "#define KIV_APP_app_SYM_self 67\n"
                "#define KIV_APP_app_SYM_sys 0\n"
                "#define KIV_APP_app_SYM_x 66\n"
                "\n"
                "KivRunResult Cm\n"
                "    (KivEngine *,\n"
                "     KivDataEntry *_x,\n"
                "     KivDataEntry **returnValue);\n"
                "\n"
                "KivRunResult KivLib_class_init\n"
                "    (KivEngine *,\n"
                "     KivDataEntry *_self,\n"
                "     KivDataEntry **returnValue);\n" +
                kHeaderTail,
            out.header);
  EXPECT_EQ(std::string(kNewEngineHead) +
                "        case 0:\n"
                "            switch (functionSymbol)\n"
                "            {\n"
                "                default:\n"
                "                    break;\n"
                "                case 68:\n"
                "                {\n"
                "                    KivDataEntry *_x = "
                "KivParameterValue(engine, ns, 66);\n"
                "                    if (_x == 0)\n"
                "                        return KivRunResult_OutOfDataMemory;\n"
                "                    return Cm(engine, _x, returnValue);\n"
                "                }\n"
                "                case 3:\n"
                "                {\n"
                "                    KivDataEntry *_self = "
                "KivParameterValue(engine, ns, 67);\n"
                "                    if (_self == 0)\n"
                "                        return KivRunResult_OutOfDataMemory;\n"
                "                    return KivLib_class_init(engine, _self, "
                "returnValue);\n"
                "                }\n"
                "            }\n"
                "            break;\n" +
                kNewEngineTail +
                "\n"
                "KivAppSpec KivAppSpec_app =\n"
                "{\n"
                "    \"\\xFF\\xFF\\x02\\x01\\0\\0\\0\\0\"\n"
                "    \"\\xFE\\x80\\0\\0\\x40\"\n"
                "    \"\\x01\\x10\\0\\0\\x41\\0\\0\\0\\x44\\0\\0\\0\\x42\"\n"
                "    \"\\xFE\\0\"\n"
                "    \"\\x01\\0\\0\\0\\x03\\0\\0\\0\\x43\",\n"
                "    37, 0x4C0D529A, KivDispatch_app\n"
                "};\n",
            out.source);
}

TEST(WritersGolden, IdentifierAndHeaderFileName) {
  SpecBuilder spec("my-app");
  Outputs out = spec.Write("x.h");
  EXPECT_EQ(0u, out.header.find(HeaderHead("my_app")));
  EXPECT_NE(std::string::npos, out.source.find("\n#include \"x.h\"\n"));
  EXPECT_NE(std::string::npos,
            out.source.find("\nstatic KivRunResult KivDispatch_my_app\n"));
  EXPECT_NE(std::string::npos,
            out.source.find("\nKivAppSpec KivAppSpec_my_app =\n"));
  EXPECT_NE(std::string::npos, out.source.find(", KivDispatch_my_app\n};\n"));
}

// One encoded entry per row: the definition is the only one of a V = 0 spec,
// its name f numbered 64 and its parameter p 65.
struct EntryCase {
  const char* what;
  Token value;
  std::string bytes;  // the value's encoding
};

TEST(EncodedSpec, ValueEncodings) {
  const EntryCase cases[] = {
      {"none", KeywordValue(TokenType::NONE), Bytes({0})},
      {"ellipsis", KeywordValue(TokenType::ELLIPSIS), Bytes({1})},
      {"false", KeywordValue(TokenType::FALSE), Bytes({2, 0})},
      {"true", KeywordValue(TokenType::TRUE), Bytes({2, 1})},
      {"negative", IntegerValue(-2), Bytes({3, 0xFF, 0xFF, 0xFF, 0xFE})},
      {"smallest", IntegerValue(INT32_MIN), Bytes({3, 0x80, 0, 0, 0})},
      {"float", RealValue(1.5), Bytes({4, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0})},
      {"negative float", RealValue(-2.0),
       Bytes({4, 0xC0, 0, 0, 0, 0, 0, 0, 0})},
      {"string", StringValue("ab"), Bytes({5, 0, 0, 0, 2, 'a', 'b'})},
      {"empty string", StringValue(""), Bytes({5, 0, 0, 0, 0})},
      {"NUL and non-ASCII", StringValue(std::string("a\0\xC3\xA9", 4)),
       Bytes({5, 0, 0, 0, 4, 'a', 0, 0xC3, 0xA9})},
  };
  for (const EntryCase& row : cases) {
    SCOPED_TRACE(row.what);
    SpecBuilder constant;
    constant.Constant("f", row.value);
    std::vector<std::string> lines = RecordLines(constant.Write().source);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(Entry(Bytes({0xFF}) + row.bytes) + ",", lines[0]);

    SpecBuilder function;
    function.Def("f", {WithDefault("p", row.value)}, "F");
    lines = RecordLines(function.Write().source);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(Entry(Bytes({1, 0x10, 0, 0, 65}) + row.bytes) + ",", lines[0]);
    EXPECT_EQ(std::to_string(5 + row.bytes.size()),
              lines[1].substr(0, lines[1].find(',')));
  }
}

TEST(EncodedSpec, ParameterKinds) {
  SpecBuilder spec;
  spec.Def("f", {Positional("a"), Tuple("values"), Dictionary("options")}, "F");
  Outputs out = spec.Write();
  // Numbers: f 64, then the parameters in declaration order.
  EXPECT_EQ(
      Entry(Bytes({3, 0, 0, 0, 65, 0x20, 0, 0, 66, 0x30, 0, 0, 67})) + ",",
      RecordLines(out.source)[0]);
  EXPECT_NE(std::string::npos,
            out.source.find(
                "                    KivParameterResult _values = "
                "KivGroupParameterValue(engine, ns, 66, false);\n"
                "                    if (_values.result != KivRunResult_OK)\n"
                "                        return _values.result;\n"
                "                    KivParameterResult _options = "
                "KivGroupParameterValue(engine, ns, 67, true);\n"
                "                    if (_options.result != KivRunResult_OK)\n"
                "                        return _options.result;\n"
                "                    return F(engine, _a, _values.value, "
                "_options.value, returnValue);\n"));
  EXPECT_NE(
      std::string::npos,
      out.header.find("\n     KivDataEntry *_values, /* tuple group */\n"
                      "     KivDataEntry *_options, /* dictionary group */\n"));
}

TEST(EncodedSpec, BareNameOnlyInOldestEncoding) {
  SpecBuilder oldEncoding;
  oldEncoding.BareName("n").Constant("k", IntegerValue(7));
  // k (64) sorts before n (65); V = 0 has no name words.
  std::vector<std::string> lines = RecordLines(oldEncoding.Write().source);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(Entry(Bytes({0xFF, 3, 0, 0, 0, 7})), lines[0]);
  EXPECT_EQ(Entry(Bytes({0xFE})) + ",", lines[1]);
  EXPECT_EQ("7, 0x", lines[2].substr(0, 5));

  // An import raises the encoding to V = 1, where a bare name has no entry.
  SpecBuilder newEncoding;
  newEncoding.Import("m").BareName("n").Constant("k", IntegerValue(7));
  newEncoding.StartModule("m");
  lines = RecordLines(newEncoding.Write().source);
  // m 64, then k 65 and n 66.
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(Entry(Bytes({0xFF, 0xFF, 1, 0, 0, 0, 1})), lines[0]);
  EXPECT_EQ(Entry(Bytes({0xFC, 0xFF, 0xFF, 0xFF, 0xFF})), lines[1]);
  EXPECT_EQ(Entry(Bytes({0xFF, 0, 0, 0, 65, 3, 0, 0, 0, 7})), lines[2]);
  EXPECT_EQ(Entry(Bytes({0xFD})) + ",", lines[3]);
  EXPECT_EQ("23, 0x", lines[4].substr(0, 6));
}

// In the oldest encoding the engine numbers the entries by position from 64,
// so a bare reserved name, which has a number below 64, takes no position:
// the k-th entry stays the definition numbered 64 + k. The spec file and
// the check value do not change.
TEST(EncodedSpec, BareReservedNamesTakeNoPosition) {
  for (const char* reserved : {"__main__", "sys", "args"}) {
    SCOPED_TRACE(reserved);
    SpecBuilder withReserved;
    withReserved.BareName(reserved)
        .Def("f", {Positional("a")}, "F")
        .BareName("n");
    SpecBuilder without;
    without.Def("f", {Positional("a")}, "F").BareName("n");
    const Outputs outputs = withReserved.Write();
    const Outputs expected = without.Write();
    // f 64, n 65, a 66; the reserved name keeps its own number.
    const std::vector<std::string> lines = RecordLines(outputs.source);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(Entry(Bytes({1, 0, 0, 0, 66})), lines[0]);
    EXPECT_EQ(Entry(Bytes({0xFE})) + ",", lines[1]);
    EXPECT_EQ(expected.specFile.substr(9), outputs.specFile.substr(9));
    EXPECT_NE(expected.specFile,
              outputs.specFile);  // the check value covers it
    EXPECT_NE(std::string::npos,
              outputs.header.find(std::string("#define KIV_APP_app_SYM_") +
                                  reserved + " "));
  }
}

TEST(EncodedSpec, FunctionWithMoreThan250Parameters) {
  std::vector<Param> params;
  for (int i = 0; i < 300; ++i)
    params.push_back(Positional("p" + std::to_string(i)));
  SpecBuilder spec;
  spec.Def("f", params, "F");
  Outputs out = spec.Write();

  std::string expected = Bytes({0xFB, 0, 0, 0, 64, 0, 0, 0x01, 0x2C});
  for (int i = 0; i < 300; ++i) coding::PutFixed32(expected, 65 + i);
  std::vector<std::string> lines = RecordLines(out.source);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(Entry(Bytes({0xFF, 0xFF, 1, 0, 0, 0, 0})), lines[0]);
  EXPECT_EQ(Entry(expected) + ",", lines[1]);
  EXPECT_EQ("1216, 0x", lines[2].substr(0, 8));
  EXPECT_NE(std::string::npos,
            out.source.find("#error Kiv engine must be version"));
  EXPECT_NE(std::string::npos,
            out.source.find("_p298, _p299, returnValue);\n"));
}

TEST(EncodedSpec, NestedClassMembersUseQualifiedNames) {
  SpecBuilder spec;
  spec.EnableClasses()
      .Def("__init__", {}, "Init")
      .Class("B")
      .Class("C")
      .Def("m", {}, "Bm")
      .Constant("k", IntegerValue(1))
      .EndClass()
      .EndClass();
  Outputs out = spec.Write();
  // Written: B 64, C 65, k 66, m 67; members numbered in walk order after
  // them: B:C 68, B:C:k 69, B:C:m 70.
  EXPECT_EQ(std::string("KivS\x03", 5), out.specFile.substr(0, 5));
  EXPECT_EQ(" B C k m ", out.specFile.substr(10));
  std::vector<std::string> lines = RecordLines(out.source);
  ASSERT_EQ(9u, lines.size());
  EXPECT_EQ(Entry(Bytes({0xFE, 0x80, 0, 0, 64})), lines[1]);
  EXPECT_EQ(Entry(Bytes({0xFE, 0x80, 0, 0, 65})), lines[2]);
  EXPECT_EQ(Entry(Bytes({0xFF, 0, 0, 0, 66, 3, 0, 0, 0, 1})), lines[3]);
  EXPECT_EQ(Entry(Bytes({0, 0x10, 0, 0, 67, 0, 0, 0, 70})), lines[4]);
  EXPECT_EQ(Entry(Bytes({0xFE, 0})), lines[5]);
  EXPECT_EQ(Entry(Bytes({0xFE, 0})), lines[6]);
  EXPECT_EQ(Entry(Bytes({0, 0, 0, 0, 3})) + ",", lines[7]);
  EXPECT_NE(std::string::npos, out.source.find("                case 70:\n"));
  EXPECT_EQ(std::string::npos, out.header.find("SYM_B:C"));
}

TEST(WritersNumbering, ParameterNamedLikeDefinitionIsWrittenOnce) {
  SpecBuilder spec;
  spec.Def("g", {Positional("f"), Positional("b")}, "G")
      .Def("f", {Positional("b")}, "F");
  // Definitions f 64, g 65; parameters by qualified name: f's b 66, g's f
  // already numbered.
  EXPECT_EQ("f\ng\nb\n", spec.Write().specFile.substr(9));
  EXPECT_EQ(66, spec.generator.nameSymbols.Lookup("b"));
  EXPECT_EQ(66, *spec.generator.lastNameSymbol);
}

TEST(WritersNumbering, AliasesAreListedWithoutOtherNames) {
  SpecBuilder spec;
  spec.Import("m", "b").Import("m", "a");
  spec.StartModule("m");
  Outputs out = spec.Write();
  EXPECT_EQ("a b  ", out.specFile.substr(9));
  EXPECT_EQ(HeaderHead("app") +
                "#define KIV_APP_app_SYM___main__ 2\n"
                "#define KIV_APP_app_SYM_a 64\n"
                "#define KIV_APP_app_SYM_args 1\n"
                "#define KIV_APP_app_SYM_b 65\n"
                "#define KIV_APP_app_SYM_sys 0\n" +
                kHeaderTail,
            out.header);
  std::vector<std::string> lines = RecordLines(out.source);
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ(Entry(Bytes({0xFC, 0xFF, 0xFF, 0xFF, 0xFF})), lines[1]);
  EXPECT_EQ(Entry(Bytes({0xFC, 0xFF, 0xFF, 0xFF, 0xFF})), lines[2]);
}

TEST(WritersPrototypes, FirstDefinitionOfAnInternalNameWins) {
  SpecBuilder spec;
  // One C function has one prototype, so the definitions sharing it have one
  // parameter count (a different count is a spec error); their parameter
  // names and kinds may differ.
  spec.Def("b", {Positional("x")}, "Shared")
      .Def("a", {Tuple("values")}, "Shared");
  spec.generator.SetSource("lib.kivs", true, false, SourceLocation());
  spec.Lib().Def("c", {}, "Library");
  Outputs out = spec.Write();
  // a comes first in walk order and declares Shared with its tuple group.
  EXPECT_NE(std::string::npos,
            out.header.find("\nKivRunResult Shared\n"
                            "    (KivEngine *,\n"
                            "     KivDataEntry *_values, /* tuple group */\n"
                            "     KivDataEntry **returnValue);\n"
                            "\nKIV_LIB_API KivRunResult Library\n"
                            "    (KivEngine *, KivDataEntry **returnValue);\n"
                            "\n#ifdef"));
  EXPECT_EQ(std::string::npos, out.header.find("_x,"));
  EXPECT_NE(
      std::string::npos,
      out.source.find("return Shared(engine, _values.value, returnValue);"));
  EXPECT_NE(std::string::npos,
            out.source.find("return Shared(engine, _x, returnValue);"));
}

TEST(WritersErrors, OutOfOrderAndUnfinishedModels) {
  auto Message = [](auto write) -> std::string {
    try {
      write();
    } catch (const std::string& message) {
      return message;
    }
    return "(nothing thrown)";
  };
  std::ostringstream out;
  SpecBuilder unfinalized;
  EXPECT_EQ("Internal error: Not finalized",
            Message([&] { NumberNames(unfinalized.generator); }));
  EXPECT_EQ("Internal error: Not finalized", Message([&] {
              WriteSpecFile(unfinalized.generator, ListedNames(), out);
            }));

  SpecBuilder unnumbered;
  ASSERT_TRUE(unnumbered.generator.Finalize());
  EXPECT_EQ("Internal error: Symbol not assigned",
            Message([&] { WriteHeader(unnumbered.generator, out); }));
  EXPECT_EQ("Internal error: Symbol not assigned",
            Message([&] { WriteSource(unnumbered.generator, out, "app.h"); }));
  EXPECT_EQ("Internal error: Symbol not assigned", Message([&] {
              WriteSpecFile(unnumbered.generator, ListedNames(), out);
            }));
  EXPECT_EQ("", out.str());

  unnumbered.generator.checkValue.reset();
  EXPECT_EQ("Internal error: Check value not computed", Message([&] {
              WriteSpecFile(unnumbered.generator, ListedNames(), out);
            }));
  EXPECT_EQ("Internal error: Check value not computed",
            Message([&] { NumberNames(unnumbered.generator); }));
  unnumbered.generator.symbolsAssigned = true;
  unnumbered.generator.lastNameSymbol = 63;
  EXPECT_EQ("Internal error: Check value not computed",
            Message([&] { WriteSource(unnumbered.generator, out, "app.h"); }));
}

TEST(ByteWriter, EscapesAndWords) {
  const struct {
    uint8_t byte;
    const char* escape;
  } cases[] = {{0, "\\0"},
               {5, "\\x05"},
               {0x41, "\\x41"},
               {0xFE, "\\xFE"},
               {0xFF, "\\xFF"}};
  for (const auto& row : cases) {
    std::ostringstream out;
    WriteByteEscape(out, row.byte);
    EXPECT_EQ(row.escape, out.str());
  }
  std::ostringstream out;
  WriteWordEscape(out, 64);
  WriteWordEscape(out, 0xDEADBEEF);
  EXPECT_EQ("\\0\\0\\0\\x40\\xDE\\xAD\\xBE\\xEF", out.str());
}

TEST(ByteWriter, LeavesStreamFormattingAlone) {
  std::ostringstream out;
  out << std::hex << std::setfill('*') << std::uppercase;
  const auto flags = out.flags();
  out << std::setw(6);
  WriteByteEscape(out, 7);
  WriteWordEscape(out, 1);
  out << 255;  // the width set before still applies to the next number
  EXPECT_EQ(flags, out.flags());
  EXPECT_EQ('*', out.fill());
  EXPECT_EQ("\\x07\\0\\0\\0\\x01****FF", out.str());
}

}  // namespace
}  // namespace kivg
