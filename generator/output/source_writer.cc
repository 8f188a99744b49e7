#include "generator/output/source_writer.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "format/coding.h"
#include "format/encoded_spec_format.h"
#include "format/value_coding.h"
#include "generator/output/byte_writer.h"
#include "generator/output/text_sink.h"

namespace coding = kivformat::coding;
namespace encoded_spec = kivformat::encoded_spec;

namespace kivg {

namespace {

// The oldest engine that understands module symbols and the encoded spec
// header; code of a spec that needs them refuses older engines.
const char kEngineVersionText[] = "1.2.3.0";
const char kEngineVersionConstant[] = "0x01020300";

const std::string kOldEngineGuard =
    std::string("#if KIV_VERSION < ") + kEngineVersionConstant;
const std::string kNewEngineGuard =
    std::string("#if KIV_VERSION >= ") + kEngineVersionConstant;

// Appends a number in signed decimal without a temporary string.
void AppendNumber(int64_t value, std::string& text) {
  char digits[24];
  const int length = std::snprintf(digits, sizeof digits, "%lld",
                                   static_cast<long long>(value));
  text.append(digits, static_cast<size_t>(length));
}

bool IsGroup(ParameterKind kind) {
  return kind == ParameterKind::TupleGroup ||
         kind == ParameterKind::DictionaryGroup;
}

std::string HexWord(uint32_t value) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) text[i] = kHexDigits[value & 0x0F];
  return text;
}

void AppendPreambleAndDispatchHead(const Generator& generator,
                                   const std::string& headerFileName,
                                   bool servesOldEngines, std::string& text) {
  text += "/*** AUTO-GENERATED; DO NOT EDIT ***/\n\n";
  text += "#include \"" + headerFileName + "\"\n";
  text += "#include <stdint.h>\n";
  if (!servesOldEngines) {
    text += "\n" + kOldEngineGuard + "\n";
    text += std::string("#error Kiv engine must be version ") +
            kEngineVersionText + " or greater\n";
    text += "#endif\n";
  }
  text +=
      "\nstatic KivRunResult KivDispatch_" + generator.specIdentifier + "\n";
  text += "    (KivEngine *engine,\n";
  if (servesOldEngines) {
    text += "     " + kNewEngineGuard + "\n";
    text += "     int32_t moduleSymbol,\n";
    text += "     #endif\n";
    text += "     int32_t functionSymbol,\n";
  } else {
    text += "     int32_t moduleSymbol, int32_t functionSymbol,\n";
  }
  text += "     KivDataEntry *ns, KivDataEntry **returnValue)\n";
  text += "{\n";
  if (servesOldEngines) text += "    " + kNewEngineGuard + "\n";
  text += "    switch (moduleSymbol)\n";
  text += "    {\n";
}

// The body of the dispatch function: one case per module, and inside it one
// case per function that fetches the parameters and calls the C function.
// With V = 0 the guards leave, for an engine older than the module symbols,
// only the function switch of the single main module.
class DispatchWriter {
 public:
  DispatchWriter(const Generator& generator, bool servesOldEngines,
                 TextSink& sink)
      : generator_(generator),
        servesOldEngines_(servesOldEngines),
        sink_(sink) {}

  void Write(const DefinitionWalk& walk) {
    for (const WalkStep& step : walk.steps()) {
      if (step.kind == StepKind::kModuleBegin) {
        ModuleBegin(step.name);
      } else if (step.kind == StepKind::kFunction) {
        Function(step, walk.ParametersOf(step));
      } else if (step.kind == StepKind::kModuleEnd) {
        ModuleEnd();
      }
    }
  }

 private:
  void ModuleBegin(std::string_view moduleName) {
    std::string& text = sink_.text();
    int32_t moduleNumber = generator_.moduleSymbols.Lookup(moduleName);
    text += "        case " +
            std::to_string(-static_cast<int64_t>(moduleNumber)) + ":\n";
    if (servesOldEngines_) text += "    #endif\n";
    text += "            switch (functionSymbol)\n";
    text += "            {\n";
    text += "                default:\n";
    text += "                    break;\n";
  }

  void Function(const WalkStep& function,
                DefinitionWalk::Range<const WalkParameter> parameters) {
    std::string& text = sink_.text();
    text += "                case ";
    AppendNumber(function.qualifiedSymbol, text);
    text += ":\n                {\n";
    for (const WalkParameter& parameter : parameters)
      AppendParameterFetch(parameter, text);
    text += "                    return ";
    text += function.internalName;
    text += "(engine, ";
    for (const WalkParameter& parameter : parameters) {
      text += '_';
      text += parameter.name;
      text += IsGroup(parameter.kind) ? ".value, " : ", ";
    }
    text += "returnValue);\n                }\n";
    sink_.FlushIfLarge();
  }

  void ModuleEnd() {
    std::string& text = sink_.text();
    text += "            }\n";
    if (servesOldEngines_) text += "    " + kNewEngineGuard + "\n";
    text += "            break;\n";
  }

  static void AppendParameterFetch(const WalkParameter& parameter,
                                   std::string& text) {
    const std::string_view name = parameter.name;
    if (!IsGroup(parameter.kind)) {
      text += "                    KivDataEntry *_";
      text += name;
      text += " = KivParameterValue(engine, ns, ";
      AppendNumber(parameter.symbol, text);
      text += ");\n                    if (_";
      text += name;
      text +=
          " == 0)\n                        return "
          "KivRunResult_OutOfDataMemory;\n";
      return;
    }
    text += "                    KivParameterResult _";
    text += name;
    text += " = KivGroupParameterValue(engine, ns, ";
    AppendNumber(parameter.symbol, text);
    text += parameter.kind == ParameterKind::DictionaryGroup ? ", true);\n"
                                                             : ", false);\n";
    text += "                    if (_";
    text += name;
    text += ".result != KivRunResult_OK)\n                        return _";
    text += name;
    text += ".result;\n";
  }

  const Generator& generator_;
  bool servesOldEngines_;
  TextSink& sink_;
};

// The encoded spec: one C string literal line per entry, every byte escaped,
// and the count of the bytes the literals hold.
class EncodedSpecWriter {
 public:
  EncodedSpecWriter(const Generator& generator, TextSink& sink)
      : generator_(generator),
        version_(generator.appSpecFormatVersion),
        sink_(sink) {}

  void WriteHeaderEntry() {
    if (version_ < encoded_spec::kFirstVersionWithHeader) return;
    std::string bytes(2, static_cast<char>(encoded_spec::kHeaderMark));
    bytes += static_cast<char>(version_);
    if (version_ >= encoded_spec::kFirstVersionWithFeatures)
      bytes += static_cast<char>(generator_.features);
    coding::PutFixed32(bytes,
                       static_cast<uint32_t>(generator_.modules.size() - 1));
    WriteEntry(bytes);
  }

  void WriteImportEntries() {
    for (const auto& alias : generator_.importsByAlias) {
      std::string bytes(1, static_cast<char>(encoded_spec::kImport));
      int32_t moduleNumber =
          generator_.moduleSymbols.Lookup(alias.second.moduleName);
      coding::PutFixed32(bytes, static_cast<uint32_t>(0) -
                                    static_cast<uint32_t>(moduleNumber));
      WriteEntry(bytes);
    }
  }

  void WriteDefinitions(const DefinitionWalk& walk) {
    std::string bytes;
    for (const WalkStep& step : walk.steps()) {
      bytes.clear();
      switch (step.kind) {
        case StepKind::kModuleBegin:
          if (step.name.empty()) continue;
          bytes += static_cast<char>(encoded_spec::kModuleBegin);
          break;
        case StepKind::kAssignment:
          if (!AppendAssignment(step, bytes)) continue;
          break;
        case StepKind::kFunction:
          AppendFunction(step, walk.ParametersOf(step), bytes);
          break;
        case StepKind::kClassBegin:
          bytes += static_cast<char>(encoded_spec::kClassBegin);
          coding::PutFixed32(bytes, static_cast<uint32_t>(step.nameSymbol) |
                                        encoded_spec::kClassFlag);
          break;
        case StepKind::kClassEnd:
          bytes.assign(reinterpret_cast<const char*>(encoded_spec::kClassEnd),
                       sizeof encoded_spec::kClassEnd);
          break;
        case StepKind::kModuleEnd:
          continue;
      }
      WriteEntry(bytes);
    }
  }

  // A record needs at least one string literal; a spec without entries gets
  // an empty one, so its record still compiles.
  void EnsureAnEntry() {
    if (entryCount_ == 0) WriteEntry(std::string());
  }

  size_t byteCount() const { return byteCount_; }

 private:
  void WriteEntry(const std::string& bytes) {
    std::string& text = sink_.text();
    text += "\n    \"";
    AppendEscapes(text, bytes);
    text += '"';
    byteCount_ += bytes.size();
    ++entryCount_;
    sink_.FlushIfLarge();
  }

  // False when the assignment has no entry: a bare name exists only in the
  // oldest encoding. There the engine numbers the entries by position from
  // the first user number, so a bare name that already has a reserved number
  // has no entry either; one would shift every later definition's number.
  bool AppendAssignment(const WalkStep& assignment, std::string& bytes) const {
    if (!assignment.hasValue) {
      if (version_ >= encoded_spec::kFirstVersionWithHeader ||
          SymbolTable::ReservedName(assignment.nameSymbol))
        return false;
      bytes += static_cast<char>(encoded_spec::kBareName);
      return true;
    }
    bytes += static_cast<char>(encoded_spec::kConstant);
    if (version_ >= encoded_spec::kFirstVersionWithHeader)
      coding::PutFixed32(bytes, static_cast<uint32_t>(assignment.nameSymbol));
    coding::PutValue(bytes, assignment.value.Coded());
    return true;
  }

  void AppendFunction(const WalkStep& function,
                      DefinitionWalk::Range<const WalkParameter> parameters,
                      std::string& bytes) const {
    const size_t count = parameters.size();
    const bool isLong =
        count > static_cast<size_t>(encoded_spec::kMaxShortParameterCount);
    const bool encodesMember =
        function.IsMember() &&
        version_ >= encoded_spec::kFirstVersionWithFeatures;
    bytes += static_cast<char>(isLong ? encoded_spec::kLongParameterCount
                                      : static_cast<uint8_t>(count));
    if (version_ >= encoded_spec::kFirstVersionWithHeader)
      coding::PutFixed32(
          bytes, static_cast<uint32_t>(function.nameSymbol) |
                     (encodesMember ? encoded_spec::kMemberFunctionFlag : 0));
    if (isLong) coding::PutFixed32(bytes, static_cast<uint32_t>(count));
    if (encodesMember)
      coding::PutFixed32(bytes,
                         static_cast<uint32_t>(function.qualifiedSymbol));
    for (const WalkParameter& parameter : parameters)
      AppendParameter(parameter, bytes);
  }

  static void AppendParameter(const WalkParameter& parameter,
                              std::string& bytes) {
    const uint32_t symbol = static_cast<uint32_t>(parameter.symbol);
    if (parameter.hasDefault) {
      coding::PutFixed32(bytes, symbol | encoded_spec::kParameterDefaultFlag);
      coding::PutValue(bytes, parameter.defaultValue.Coded());
    } else if (parameter.kind == ParameterKind::TupleGroup) {
      coding::PutFixed32(bytes,
                         symbol | encoded_spec::kParameterTupleGroupFlag);
    } else if (parameter.kind == ParameterKind::DictionaryGroup) {
      coding::PutFixed32(bytes,
                         symbol | encoded_spec::kParameterDictionaryGroupFlag);
    } else {
      coding::PutFixed32(bytes, symbol);
    }
  }

  const Generator& generator_;
  const uint8_t version_;
  TextSink& sink_;
  size_t byteCount_ = 0;
  size_t entryCount_ = 0;
};

}  // namespace

void WriteSource(const Generator& generator, std::ostream& out,
                 const std::string& headerFileName) {
  if (!generator.symbolsAssigned)
    throw std::string("Internal error: Symbol not assigned");

  // Only the oldest encoding also runs on engines without module symbols; its
  // source keeps compiling for them because guards drop the module switch.
  const bool servesOldEngines =
      generator.appSpecFormatVersion < encoded_spec::kFirstVersionWithHeader;
  TextSink sink(out);
  AppendPreambleAndDispatchHead(generator, headerFileName, servesOldEngines,
                                sink.text());

  DispatchWriter(generator, servesOldEngines, sink).Write(generator.walk);
  std::string& text = sink.text();
  text += "    }\n";
  if (servesOldEngines) text += "    #endif\n";
  text += "    return KivRunResult_UndefinedAppFunction;\n";
  text += "}\n";

  text += "\nKivAppSpec KivAppSpec_" + generator.specIdentifier + " =\n{";
  EncodedSpecWriter encoded(generator, sink);
  encoded.WriteHeaderEntry();
  encoded.WriteImportEntries();
  encoded.WriteDefinitions(generator.walk);
  encoded.EnsureAnEntry();
  sink.Flush();

  if (!generator.checkValue)
    throw std::string("Internal error: Check value not computed");
  sink.text() += ",\n    " + std::to_string(encoded.byteCount()) + ", 0x" +
                 HexWord(*generator.checkValue) + ", KivDispatch_" +
                 generator.specIdentifier + "\n};\n";
  sink.Flush();
}

}  // namespace kivg
