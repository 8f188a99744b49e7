// Reads the C code that kivg generated for the two built-in specs and checks
// every function against the numbering the runner's scripts are compiled
// with: symbols, parameters in order with defaults and group kinds, the
// dispatch cases with their targets, and the size of each encoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "format/encoded_spec_format.h"

namespace encoded_spec = kivformat::encoded_spec;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string GeneratedPath(const std::string& name) {
  return std::string(KIVS_SPEC_DIR) + "/" + name;
}

// One function of a spec as the encoded spec and the dispatch show it.
struct FunctionEntry {
  int32_t nameSymbol = 0;
  std::string parameters;  // e.g. (109, 110=None) or (*118, 119=" ")
};

// The bytes of the KivAppSpec record's string literal.
std::vector<uint8_t> EncodedSpecBytes(const std::string& source) {
  std::vector<uint8_t> bytes;
  const std::size_t start = source.find(" =\n{");
  const std::size_t end = source.find("\n};", start);
  const std::string record = source.substr(start, end - start);
  static const std::regex escape(R"(\\x([0-9A-F]{2})|\\0)");
  for (std::sregex_iterator it(record.begin(), record.end(), escape), last;
       it != last; ++it) {
    bytes.push_back((*it)[1].matched ? static_cast<uint8_t>(
                                           std::stoul((*it)[1], nullptr, 16))
                                     : 0);
  }
  return bytes;
}

class SpecDecoder {
 public:
  explicit SpecDecoder(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  // Functions by dispatch symbol; class symbols into classes.
  void Decode(std::map<int32_t, FunctionEntry>& functions,
              std::vector<int32_t>& classes) {
    int32_t position = 64;  // V = 0: symbols implied by position
    if (bytes_.size() >= 2 && bytes_[0] == 0xFF && bytes_[1] == 0xFF) {
      pos_ = 2;
      version_ = Byte();
      if (version_ >= encoded_spec::kFirstVersionWithFeatures) Byte();
      Word();
    }
    while (pos_ < bytes_.size()) {
      const uint8_t lead = Byte();
      if (lead == encoded_spec::kClassBegin && version_ >= 1) {
        if (bytes_[pos_] == 0) {
          ++pos_;
          continue;
        }
        classes.push_back(
            static_cast<int32_t>(Word() & ~encoded_spec::kClassFlag));
        continue;
      }
      ASSERT_LE(lead, encoded_spec::kMaxShortParameterCount);
      FunctionEntry entry;
      int32_t dispatch = position++;
      if (version_ >= 1) {
        const uint32_t name = Word();
        entry.nameSymbol =
            static_cast<int32_t>(name & ~encoded_spec::kMemberFunctionFlag);
        dispatch = entry.nameSymbol;
        if (name & encoded_spec::kMemberFunctionFlag)
          dispatch = static_cast<int32_t>(Word());
      } else {
        entry.nameSymbol = dispatch;
      }
      entry.parameters = "(";
      for (int i = 0; i < lead; ++i) {
        if (i > 0) entry.parameters += ", ";
        entry.parameters += Parameter();
      }
      entry.parameters += ")";
      functions[dispatch] = entry;
    }
  }

  uint8_t version() const { return version_; }

 private:
  uint8_t Byte() { return bytes_.at(pos_++); }
  uint32_t Word() {
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word = (word << 8) | Byte();
    return word;
  }

  std::string Parameter() {
    const uint32_t word = Word();
    const uint32_t flags = word & encoded_spec::kParameterFlagMask;
    const std::string symbol =
        std::to_string(word & ~encoded_spec::kParameterFlagMask);
    if (flags == encoded_spec::kParameterTupleGroupFlag) return "*" + symbol;
    if (flags == encoded_spec::kParameterDictionaryGroupFlag)
      return "**" + symbol;
    if (flags != encoded_spec::kParameterDefaultFlag) return symbol;
    return symbol + "=" + Value();
  }

  std::string Value() {
    switch (Byte()) {
      case encoded_spec::kValueNone:
        return "None";
      case encoded_spec::kValueEllipsis:
        return "...";
      case encoded_spec::kValueBoolean:
        return Byte() ? "True" : "False";
      case encoded_spec::kValueInteger:
        return std::to_string(static_cast<int32_t>(Word()));
      case encoded_spec::kValueFloat: {
        uint64_t bits = static_cast<uint64_t>(Word()) << 32;
        bits |= Word();
        double real = 0;
        std::memcpy(&real, &bits, sizeof real);
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", real);
        return text;
      }
      case encoded_spec::kValueString: {
        const uint32_t length = Word();
        std::string text;
        for (uint32_t i = 0; i < length; ++i) {
          const char c = static_cast<char>(Byte());
          text += c == '\n' ? std::string("\\n") : std::string(1, c);
        }
        return "\"" + text + "\"";
      }
    }
    return "?";
  }

  const std::vector<uint8_t>& bytes_;
  std::size_t pos_ = 0;
  uint8_t version_ = 0;
};

// The dispatch cases of the generated source: the parameter symbols each
// fetches (a star marks a tuple group) and the function it calls.
std::map<int32_t, std::string> DispatchCases(const std::string& source) {
  std::map<int32_t, std::string> cases;
  static const std::regex caseLine(R"(^                case (-?\d+):$)");
  static const std::regex fetch(
      R"(Kiv(Group)?ParameterValue\(engine, ns, (\d+)(, (false|true))?\);)");
  static const std::regex call(R"(return (\w+)\(engine, )");
  std::istringstream lines(source);
  std::string line;
  int32_t current = 0;
  std::string text;
  bool inCase = false;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (std::regex_match(line, match, caseLine)) {
      current = std::stoi(match[1]);
      text = "(";
      inCase = true;
    } else if (inCase && std::regex_search(line, match, fetch)) {
      if (text.size() > 1) text += ", ";
      text += (match[1].matched ? "*" : "") + match[2].str();
    } else if (inCase && std::regex_search(line, match, call)) {
      cases[current] = text + ") " + match[1].str();
      inCase = false;
    }
  }
  return cases;
}

// The symbol macros of a generated header, by name.
std::map<std::string, int32_t> SymbolMacros(const std::string& header,
                                            const std::string& id) {
  std::map<std::string, int32_t> symbols;
  const std::regex macro("#define KIV_APP_" + id + R"(_SYM_(\w+) (-?\d+))");
  for (std::sregex_iterator it(header.begin(), header.end(), macro), last;
       it != last; ++it)
    symbols[(*it)[1]] = std::stoi((*it)[2]);
  return symbols;
}

struct SpecRow {
  const char* name;  // class members as class:member
  const char* target;
  int32_t standardSymbol;  // -1: not in the standard spec
  const char* standardParameters;
  int32_t classSymbol;          // symbol of the name in the class-support spec
  int32_t classDispatch;        // symbol its dispatch case selects
  const char* classParameters;  // "class" for a class
};

const SpecRow kRows[] = {
    {"__init__", "KivLib_class_init", -1, "", 3, 3, "(113)"},
    {"abs", "KivLib_abs", 64, "(108)", 64, 64, "(114)"},
    {"acos", "KivLib_acos", 65, "(108)", 65, 65, "(114)"},
    {"acosh", "KivLib_acosh", 66, "(108)", 66, 66, "(114)"},
    {"asin", "KivLib_asin", 67, "(108)", 67, 67, "(114)"},
    {"asinh", "KivLib_asinh", 68, "(108)", 68, 68, "(114)"},
    {"at", "KivLib_at", 69, "(109, 110=None)", 69, 69, "(115, 116=None)"},
    {"atan", "KivLib_atan", 70, "(108)", 70, 70, "(114)"},
    {"atan2", "KivLib_atan2", 71, "(111, 108)", 71, 71, "(117, 114)"},
    {"atanh", "KivLib_atanh", 72, "(108)", 72, 72, "(114)"},
    {"bool", "KivLib_bool", 73, "(108=False)", 73, 73, "(114=False)"},
    {"ceil", "KivLib_ceil", 74, "(108)", 74, 74, "(114)"},
    {"classmethod", "", -1, "", 75, 75, "class"},
    {"classmethod:__get__", "KivLib_classmethod_get", -1, "", 4, 134,
     "(113, 118, 119=None)"},
    {"classmethod:__init__", "KivLib_classmethod_init", -1, "", 3, 135,
     "(113, 120)"},
    {"cos", "KivLib_cos", 75, "(108)", 76, 76, "(114)"},
    {"cosh", "KivLib_cosh", 76, "(108)", 77, 77, "(114)"},
    {"del_at", "KivLib_del_at", 77, "(109)", 78, 78, "(115)"},
    {"exists", "KivLib_exists", 78, "(112)", 79, 79, "(121)"},
    {"exit", "KivLib_exit", 79, "(113=None)", 80, 80, "(122=None)"},
    {"exp", "KivLib_exp", 80, "(108)", 81, 81, "(114)"},
    {"float", "KivLib_float", 81, "(108=0.0)", 82, 82, "(114=0.0)"},
    {"floor", "KivLib_floor", 82, "(108)", 83, 83, "(114)"},
    {"hypot", "KivLib_hypot", 83, "(108, 111)", 84, 84, "(114, 117)"},
    {"id", "KivLib_id", 84, "(114)", 85, 85, "(123)"},
    {"int", "KivLib_int", 85, "(108=0, 115=None, 116=False)", 86, 86,
     "(114=0, 124=None, 125=False)"},
    {"isinstance", "KivLib_isinstance", -1, "", 87, 87, "(126, 112)"},
    {"issubclass", "KivLib_issubclass", -1, "", 88, 88, "(127, 128)"},
    {"iter", "KivLib_iter", 86, "(87)", 89, 89, "(90)"},
    {"iterable", "KivLib_iterable", 87, "(109)", 90, 90, "(115)"},
    {"key", "KivLib_key", 88, "(114, 117=True)", 91, 91, "(123, 129=True)"},
    {"len", "KivLib_len", 89, "(114)", 92, 92, "(123)"},
    {"list", "KivLib_list", 90, "(*1)", 93, 93, "(*1)"},
    {"log", "KivLib_log", 91, "(108, 115=None)", 94, 94, "(114, 124=None)"},
    {"log10", "KivLib_log10", 92, "(108)", 95, 95, "(114)"},
    {"module", "KivLib_module", 93, "()", 96, 96, "()"},
    {"next", "KivLib_next", 94, "(109, 110=None)", 97, 97, "(115, 116=None)"},
    {"print", "AppPrint", 95, R"((*118, 119=" ", 110="\n"))", 98, 98,
     R"((*130, 131=" ", 116="\n"))"},
    {"range_values", "KivLib_range_values", 96, "(108)", 99, 99, "(114)"},
    {"repr", "KivLib_repr", 97, "(108)", 100, 100, "(114)"},
    {"reversed", "KivLib_reversed", 98, "(87)", 101, 101, "(90)"},
    {"round", "KivLib_round", 99, "(108)", 102, 102, "(114)"},
    {"sin", "KivLib_sin", 100, "(108)", 103, 103, "(114)"},
    {"sinh", "KivLib_sinh", 101, "(108)", 104, 104, "(114)"},
    {"sleep", "AppSleep", 102, "(120)", 105, 105, "(132)"},
    {"staticmethod", "", -1, "", 106, 106, "class"},
    {"staticmethod:__get__", "KivLib_staticmethod_get", -1, "", 4, 136,
     "(113, 118, 119=None)"},
    {"staticmethod:__init__", "KivLib_staticmethod_init", -1, "", 3, 137,
     "(113, 120)"},
    {"str", "KivLib_str", 103, R"((108=""))", 107, 107, R"((114=""))"},
    {"super", "KivLib_super", -1, "", 108, 108, "(133=None, 126=None)"},
    {"tan", "KivLib_tan", 104, "(108)", 109, 109, "(114)"},
    {"tanh", "KivLib_tanh", 105, "(108)", 110, 110, "(114)"},
    {"tuple", "KivLib_tuple", 106, "(*1)", 111, 111, "(*1)"},
    {"type", "KivLib_type", 107, "(114)", 112, 112, "(123)"},
};

// Parameters as the dispatch fetches them: symbols only.
std::string FetchedSymbols(const std::string& parameters) {
  static const std::regex defaultValue(R"(=("[^"]*"|[^,)]*))");
  return std::regex_replace(parameters, defaultValue, "");
}

struct GeneratedSpec {
  explicit GeneratedSpec(const std::string& name, const std::string& id)
      : header(ReadFile(GeneratedPath(name + ".h"))),
        source(ReadFile(GeneratedPath(name + ".c"))),
        bytes(EncodedSpecBytes(source)),
        symbols(SymbolMacros(header, id)),
        cases(DispatchCases(source)) {
    SpecDecoder decoder(bytes);
    decoder.Decode(functions, classes);
    version = decoder.version();
  }

  std::string header;
  std::string source;
  std::vector<uint8_t> bytes;
  std::map<std::string, int32_t> symbols;
  std::map<int32_t, std::string> cases;
  std::map<int32_t, FunctionEntry> functions;
  std::vector<int32_t> classes;
  uint8_t version = 0;
};

TEST(BuiltInSpecs, StandardSpecHasTheTableNumbering) {
  const GeneratedSpec spec("standalone", "standalone");
  EXPECT_EQ(spec.bytes.size(), 298u);
  EXPECT_EQ(spec.version, 0);
  EXPECT_NE(spec.source.find("\n    298, 0x"), std::string::npos);
  EXPECT_TRUE(spec.classes.empty());
  std::size_t functionCount = 0;
  for (const SpecRow& row : kRows) {
    if (row.standardSymbol < 0) {
      EXPECT_EQ(spec.symbols.count(row.name), 0u) << row.name;
      continue;
    }
    ++functionCount;
    EXPECT_EQ(spec.symbols.at(row.name), row.standardSymbol) << row.name;
    ASSERT_EQ(spec.functions.count(row.standardSymbol), 1u) << row.name;
    EXPECT_EQ(spec.functions.at(row.standardSymbol).parameters,
              row.standardParameters)
        << row.name;
    EXPECT_EQ(spec.cases.at(row.standardSymbol),
              FetchedSymbols(row.standardParameters) + " " + row.target)
        << row.name;
  }
  EXPECT_EQ(spec.functions.size(), functionCount);
  EXPECT_EQ(spec.cases.size(), functionCount);
  EXPECT_EQ(spec.symbols.at("args"), 1);
  EXPECT_EQ(spec.symbols.at("iterable"), 87);
}

TEST(BuiltInSpecs, ClassSupportSpecHasTheTableNumbering) {
  const GeneratedSpec spec("standalone-oo", "standalone_oo");
  EXPECT_EQ(spec.bytes.size(), 624u);
  const std::vector<uint8_t> header(spec.bytes.begin(), spec.bytes.begin() + 8);
  EXPECT_EQ(header, (std::vector<uint8_t>{0xFF, 0xFF, 2, 1, 0, 0, 0, 0}));
  EXPECT_NE(spec.source.find("\n    624, 0x"), std::string::npos);
  std::size_t functionCount = 0;
  std::vector<int32_t> classes;
  for (const SpecRow& row : kRows) {
    const std::string name = row.name;
    const std::string simpleName = name.substr(name.find(':') + 1);
    EXPECT_EQ(spec.symbols.at(simpleName), row.classSymbol) << row.name;
    if (std::string(row.classParameters) == "class") {
      classes.push_back(row.classSymbol);
      continue;
    }
    ++functionCount;
    ASSERT_EQ(spec.functions.count(row.classDispatch), 1u) << row.name;
    const FunctionEntry& entry = spec.functions.at(row.classDispatch);
    EXPECT_EQ(entry.nameSymbol, row.classSymbol) << row.name;
    EXPECT_EQ(entry.parameters, row.classParameters) << row.name;
    EXPECT_EQ(spec.cases.at(row.classDispatch),
              FetchedSymbols(row.classParameters) + " " + row.target)
        << row.name;
  }
  EXPECT_EQ(spec.classes, classes);
  EXPECT_EQ(spec.functions.size(), functionCount);
  EXPECT_EQ(spec.cases.size(), functionCount);
  EXPECT_EQ(spec.symbols.at("self"), 113);
  EXPECT_EQ(spec.symbols.at("iterable"), 90);
  EXPECT_EQ(spec.symbols.at("type"), 112);
  EXPECT_EQ(spec.symbols.at("__get__"), 4);
}

TEST(BuiltInSpecs, OnlyTheRunnersOwnFunctionsLackTheLibraryMarker) {
  for (const char* name : {"standalone", "standalone-oo"}) {
    const std::string header =
        ReadFile(GeneratedPath(std::string(name) + ".h"));
    static const std::regex prototype(
        R"(\n(KIV_LIB_API )?KivRunResult (\w+)\n)");
    std::size_t count = 0;
    for (std::sregex_iterator it(header.begin(), header.end(), prototype), last;
         it != last; ++it, ++count) {
      const std::string function = (*it)[2];
      const bool own = function == "AppPrint" || function == "AppSleep";
      EXPECT_EQ((*it)[1].matched, !own) << name << " " << function;
    }
    EXPECT_GT(count, 40u) << name;
  }
}

}  // namespace
