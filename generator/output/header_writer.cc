#include "generator/output/header_writer.h"

#include <string>
#include <string_view>
#include <vector>

#include "generator/output/text_sink.h"

namespace kivg {

namespace {

void WritePrototypes(const DefinitionWalk& walk, TextSink& sink) {
  std::string& text = sink.text();
  const std::vector<WalkStep>& steps = walk.steps();
  // The first definition in walk order that binds an internal name decides
  // its prototype; later ones bound to the same C function add nothing.
  for (uint32_t i = 0; i < steps.size(); ++i) {
    if (!DeclaresPrototype(steps[i], i)) continue;
    const WalkStep& function = steps[i];
    text += '\n';
    if (function.isLibrary) text += "KIV_LIB_API ";
    text += "KivRunResult ";
    text += function.internalName;
    text += '\n';
    if (function.parameterCount == 0) {
      text += "    (KivEngine *, KivDataEntry **returnValue);\n";
    } else {
      text += "    (KivEngine *,\n";
      for (const WalkParameter& parameter : walk.ParametersOf(function)) {
        text += "     KivDataEntry *_";
        text += parameter.name;
        text += ',';
        if (parameter.kind == ParameterKind::TupleGroup)
          text += " /* tuple group */";
        else if (parameter.kind == ParameterKind::DictionaryGroup)
          text += " /* dictionary group */";
        text += '\n';
      }
      text += "     KivDataEntry **returnValue);\n";
    }
    sink.FlushIfLarge();
  }
}

// Reserved names, aliases, definition and parameter names; the qualified
// names of class members are numbered above lastNameSymbol and left out.
void WriteSymbolMacros(const Generator& generator, TextSink& sink) {
  std::string& text = sink.text();
  const int32_t last = generator.lastNameSymbol.value_or(-1);
  const std::string prefix =
      "#define KIV_APP_" + generator.specIdentifier + "_SYM_";
  for (const auto& [name, symbol] : generator.nameSymbols.ByName()) {
    if (symbol > last) continue;
    text += prefix;
    text += name;
    text += ' ' + std::to_string(symbol) + '\n';
    sink.FlushIfLarge();
  }
}

}  // namespace

void WriteHeader(const Generator& generator, std::ostream& out) {
  if (!generator.symbolsAssigned)
    throw std::string("Internal error: Symbol not assigned");

  const std::string& id = generator.specIdentifier;
  TextSink sink(out);
  sink.text() =
      "/*** AUTO-GENERATED; DO NOT EDIT ***/\n"
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
  WriteSymbolMacros(generator, sink);
  WritePrototypes(generator.walk, sink);
  sink.text() +=
      "\n"
      "#ifdef __cplusplus\n"
      "}\n"
      "#endif\n"
      "\n"
      "#endif\n";
  sink.Flush();
}

}  // namespace kivg
