// Round trips through kivg: the encoded spec of each generated C source,
// read back by the stand-in engine's decoder, declares the functions,
// parameters, defaults, constants, classes and modules of the spec source;
// and a script compiled against the generated spec file runs in the engine
// with those defaults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "format/encoded_spec_format.h"
#include "include/kiv.h"
#include "standin/compiler/spec_names.h"
#include "standin/engine/encoded_spec_reader.h"
#include "standin/engine/value_text.h"
#include "tests/standin/value_text_for_tests.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace encoded_spec = kivformat::encoded_spec;

namespace {

// What kivg wrote for one spec source.
struct Generated {
  std::string record;  // the encoded spec bytes of the KivAppSpec record
  uint32_t recordSize = 0;
  uint32_t checkValue = 0;
  standin::SpecNames names;
};

int HexDigit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

// Reads the record's escaped entry lines and its size and check value line.
bool ReadRecord(const std::string& source, Generated* out) {
  size_t at = source.find("KivAppSpec KivAppSpec_");
  if (at == std::string::npos) return false;
  at = source.find("{\n", at);
  if (at == std::string::npos) return false;
  at += 2;
  while (at < source.size()) {
    size_t end = source.find('\n', at);
    std::string line = source.substr(at, end - at);
    at = end + 1;
    if (line.rfind("    \"", 0) != 0) {
      out->recordSize =
          static_cast<uint32_t>(std::strtoul(line.c_str(), nullptr, 10));
      size_t hex = line.find("0x");
      if (hex == std::string::npos) return false;
      out->checkValue =
          static_cast<uint32_t>(std::strtoul(line.c_str() + hex, nullptr, 16));
      return true;
    }
    for (size_t i = 5; i + 1 < line.size() && line[i] == '\\';) {
      if (line[i + 1] == '0') {
        out->record += '\0';
        i += 2;
      } else {
        out->record += static_cast<char>(HexDigit(line[i + 2]) * 16 +
                                         HexDigit(line[i + 3]));
        i += 4;
      }
    }
  }
  return false;
}

class RoundTrip : public ::testing::Test {
 protected:
  // Runs kivg on name.kivs in the test's directory.
  Generated Generate(const std::string& name, const std::string& source) {
    dir_.Write(name + ".kivs", source);
    RunOptions options;
    options.workDir = dir_.path();
    options.env.push_back({"KIV_SPEC_INCLUDE", std::string("")});
    ProgramResult result =
        RunProgram(BinPath("kivg"), {"-q", name + ".kivs"}, options);
    Generated generated;
    EXPECT_EQ(result.status, 0) << result.err;
    if (result.status != 0) return generated;
    EXPECT_TRUE(ReadRecord(dir_.Read(name + ".c"), &generated));
    std::string error;
    EXPECT_TRUE(generated.names.Parse(dir_.Read(name + ".kivec"), &error))
        << error;
    return generated;
  }

  TempDir dir_;
};

std::string NameOf(const Generated& spec, int32_t symbol) {
  for (const auto& [name, number] : spec.names.symbols())
    if (number == symbol) return name;
  return "#" + std::to_string(symbol);
}

std::string ValueOf(const standin::EncodedSpec& spec, size_t offset) {
  standin::SpecValue value;
  if (!spec.ReadValue(offset, &value, nullptr)) return "<bad value>";
  switch (value.type) {
    case encoded_spec::kValueNone:
      return "None";
    case encoded_spec::kValueEllipsis:
      return "...";
    case encoded_spec::kValueBoolean:
      return value.boolean ? "True" : "False";
    case encoded_spec::kValueInteger:
      return std::to_string(value.integer);
    case encoded_spec::kValueFloat:
      return standin::FloatText(value.real);
    default:
      return "'" +
             std::string(
                 reinterpret_cast<const char*>(spec.bytes()) + value.textOffset,
                 value.textLength) +
             "'";
  }
}

// One line per definition the decoder sees, with names from the spec file.
std::vector<std::string> Decode(const Generated& generated) {
  standin::EncodedSpec spec(
      reinterpret_cast<const uint8_t*>(generated.record.data()),
      generated.record.size());
  EXPECT_TRUE(spec.Validate());
  std::vector<std::string> lines;
  lines.push_back("version " + std::to_string(spec.version()) + ", features " +
                  std::to_string(spec.features()) + ", modules " +
                  std::to_string(spec.moduleCount()));
  for (uint32_t alias = 1; alias <= spec.importCount(); ++alias) {
    int32_t module = 0;
    spec.ImportedModule(alias, &module);
    lines.push_back("import " + std::to_string(alias) + " -> " +
                    std::to_string(module));
  }
  standin::EncodedSpec::Cursor cursor(spec);
  standin::SpecDefinition definition;
  while (cursor.Next(&definition)) {
    std::string line =
        definition.module == 0 ? "" : std::to_string(definition.module) + " ";
    const std::string name = NameOf(generated, definition.symbol);
    switch (definition.kind) {
      case standin::DefinitionKind::Constant:
        line += name + " = " + ValueOf(spec, definition.value);
        break;
      case standin::DefinitionKind::BareName:
        line += name;
        break;
      case standin::DefinitionKind::ClassBegin:
        line += "class " + name;
        break;
      case standin::DefinitionKind::ClassEnd:
        line += "end class";
        break;
      case standin::DefinitionKind::Function: {
        line += (definition.member ? "method " : "def ") + name + "(";
        standin::EncodedSpec::Parameters parameters(spec, definition);
        standin::SpecParameter parameter;
        bool first = true;
        while (parameters.Next(&parameter)) {
          line += first ? "" : ", ";
          first = false;
          if (parameter.kind == standin::ParameterKindCode::TupleGroup)
            line += "*";
          if (parameter.kind == standin::ParameterKindCode::DictionaryGroup)
            line += "**";
          line += NameOf(generated, parameter.symbol);
          if (parameter.hasDefault)
            line += "=" + ValueOf(spec, parameter.value);
        }
        line += ")";
        // A member is dispatched by its qualified name, numbered after every
        // name of the spec file.
        if (definition.member) {
          for (const auto& named : generated.names.symbols())
            if (named.second >= definition.dispatchSymbol)
              line += " <dispatch symbol collides>";
        }
        break;
      }
    }
    lines.push_back(line);
  }
  EXPECT_FALSE(cursor.failed());
  return lines;
}

TEST_F(RoundTrip, SingleModuleSpecDecodesByPosition) {
  Generated spec = Generate(
      "app",
      "def f(a, b=1) = F\n"
      "K = -7\n"
      "bare\n"
      "def g(x=None, y=..., z=True, w=False, v=0x10, u=1.5, t='a\\tb') = G\n"
      "def h(*values, sep=' ', **options) = H\n");
  EXPECT_EQ(spec.record.size(), spec.recordSize);
  EXPECT_EQ(spec.checkValue, spec.names.checkValue());
  EXPECT_EQ(Decode(spec),
            (std::vector<std::string>{
                "version 0, features 0, modules 1",
                "K = -7",
                "bare",
                "def f(a, b=1)",
                "def g(x=None, y=..., z=True, w=False, v=16, u=1.5, t='a\tb')",
                "def h(*values, sep=' ', **options)",
            }));
}

TEST_F(RoundTrip, ImportedModulesKeepTheirOwnDefinitions) {
  dir_.Write("helper.kivs", "def f(a, b='h') = HF\nLIMIT = 2.5\n");
  dir_.Write("other.kivs", "def f() = OF\n");
  Generated spec = Generate("app",
                            "import helper as h\n"
                            "import other\n"
                            "def f(a) = F\n"
                            "bare\n");
  EXPECT_EQ(spec.record.size(), spec.recordSize);
  EXPECT_EQ(spec.checkValue, spec.names.checkValue());
  // Modules are ordered by alias: h is -1, other -2.
  EXPECT_EQ(Decode(spec), (std::vector<std::string>{
                              "version 1, features 0, modules 3",
                              "import 1 -> -1",
                              "import 2 -> -2",
                              "def f(a)",
                              "-1 LIMIT = 2.5",
                              "-1 def f(a, b='h')",
                              "-2 def f()",
                          }));
  uint32_t module = 0;
  EXPECT_TRUE(spec.names.AliasModule("h", &module));
  EXPECT_EQ(module, 1u);
  EXPECT_TRUE(spec.names.AliasModule("other", &module));
  EXPECT_EQ(module, 2u);
}

TEST_F(RoundTrip, ClassesAndMembersDecodeWithTheClassFeature) {
  Generated spec = Generate("app",
                            "+class\n"
                            "class C:\n"
                            "    def m(self, v=2.5) = CM\n"
                            "    size = 3\n"
                            "    class D:\n"
                            "        def n(self) = DN\n"
                            "def f(*values) = F\n");
  EXPECT_EQ(spec.record.size(), spec.recordSize);
  EXPECT_EQ(spec.checkValue, spec.names.checkValue());
  EXPECT_EQ(Decode(spec), (std::vector<std::string>{
                              "version 2, features 1, modules 1",
                              "class C",
                              "class D",
                              "method n(self)",
                              "end class",
                              "method m(self, v=2.5)",
                              "size = 3",
                              "end class",
                              "def __init__(self)",
                              "def f(*values)",
                          }));
}

// The run: a script compiled against kivg's spec file calls functions whose
// parameters the engine binds from kivg's encoded spec.
std::vector<std::string>* calls = nullptr;
const Generated* running = nullptr;

KivRunResult Record(KivEngine* engine, int32_t module, int32_t function,
                    KivDataEntry* ns, KivDataEntry**) {
  std::string line =
      std::to_string(module) + " " + NameOf(*running, function) + ":";
  for (const char* name : {"a", "b", "c", "d", "e"}) {
    int32_t symbol;
    if (running->names.Lookup(name, &symbol))
      line += std::string(" ") + name + "=" +
              Text(engine, KivParameterValue(engine, ns, symbol));
  }
  int32_t values;
  if (running->names.Lookup("values", &values))
    line +=
        " values=" +
        Text(engine, KivGroupParameterValue(engine, ns, values, false).value);
  calls->push_back(line);
  return KivRunResult_OK;
}

TEST_F(RoundTrip, CompiledScriptsRunWithTheGeneratedDefaults) {
  dir_.Write("helper.kivs", "def g(a, b=None) = HG\n");
  Generated spec = Generate("app",
                            "import helper as h\n"
                            "def f(a, b=1, c='x', d=..., e=2.5) = F\n"
                            "def g(*values, a=True) = G\n");
  dir_.Write("run.kiv",
             "f(0)\n"
             "f(1, 2, e=False)\n"
             "g(3, 4)\n"
             "h.g(f(5, d=6))\n");
  RunOptions options;
  options.workDir = dir_.path();
  ProgramResult compiled =
      RunProgram(BinPath("kivc"), {"app.kivec", "run.kiv"}, options);
  ASSERT_EQ(compiled.status, 0) << compiled.err;

  KivAppSpec appSpec = {spec.record.data(), uint32_t(spec.record.size()),
                        spec.checkValue, Record};
  std::vector<uint64_t> data(256 * KivDataEntrySize() / 8);
  KivEngine engine;
  ASSERT_EQ(KivInitialize(&engine, nullptr, 0, data.data(), data.size() * 8,
                          &appSpec, nullptr),
            KivRunResult_OK);
  const std::string code = dir_.Read("run.kive");
  ASSERT_EQ(KivSealCode(&engine, reinterpret_cast<const uint8_t*>(code.data()),
                        code.size()),
            KivAddCodeResult_OK);
  std::vector<std::string> seen;
  calls = &seen;
  running = &spec;
  KivRunResult result = KivRunResult_OK;
  while (result == KivRunResult_OK) result = KivStep(&engine);
  calls = nullptr;
  running = nullptr;
  EXPECT_EQ(result, KivRunResult_Complete);
  // Parameters a function does not have read as None.
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "0 f: a=0 b=1 c=x d=Ellipsis e=2.5 values=()",
                      "0 f: a=1 b=2 c=x d=Ellipsis e=False values=()",
                      "0 g: a=True b=None c=None d=None e=None values=(3, 4)",
                      "0 f: a=5 b=1 c=x d=6 e=2.5 values=()",
                      "-1 g: a=None b=None c=None d=None e=None values=()",
                  }));
}

}  // namespace
