#include "generator/output/header_writer.h"

#include <string>
#include <string_view>
#include <unordered_set>

#include "generator/output/text_sink.h"

namespace {

// One prototype per internal name: the first definition in walk order decides
// it, later definitions bound to the same C function add nothing.
class PrototypeWriter : public DefinitionVisitor {
 public:
  explicit PrototypeWriter(TextSink& sink) : sink_(sink), text_(sink.text()) {}

  void Definition(const std::string&, const std::string&,
                  const SourceElement& element) override {
    const auto* function = dynamic_cast<const FunctionDefinition*>(&element);
    if (function == nullptr) return;
    if (!declared_.insert(function->internalName).second) return;

    text_ += '\n';
    if (function->isLibrary) text_ += "KIV_LIB_API ";
    text_ += "KivRunResult ";
    text_ += function->internalName;
    text_ += '\n';
    if (function->parameters == nullptr || function->parameters->parameters.empty()) {
      text_ += "    (KivEngine *, KivDataEntry **returnValue);\n";
    } else {
      AppendParameters(*function->parameters);
    }
    sink_.FlushIfLarge();
  }

 private:
  void AppendParameters(const ParameterList& list) {
    text_ += "    (KivEngine *,\n";
    for (const auto& parameter : list.parameters) {
      text_ += "     KivDataEntry *_";
      text_ += parameter->name;
      text_ += ',';
      if (parameter->kind == ParameterKind::TupleGroup)
        text_ += " /* tuple group */";
      else if (parameter->kind == ParameterKind::DictionaryGroup)
        text_ += " /* dictionary group */";
      text_ += '\n';
    }
    text_ += "     KivDataEntry **returnValue);\n";
  }

  TextSink& sink_;
  std::string& text_;  // the sink's text
  // Views of the internal names in the model, which outlives the writer.
  std::unordered_set<std::string_view> declared_;
};

// Reserved names, aliases, definition and parameter names; the qualified
// names of class members are numbered above lastNameSymbol and left out.
void WriteSymbolMacros(const Generator& generator, TextSink& sink) {
  std::string& text = sink.text();
  const int32_t last = generator.lastNameSymbol.value_or(-1);
  const std::string prefix = "#define KIV_APP_" + generator.specIdentifier + "_SYM_";
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
      "#ifndef KIV_APP_" + id + "_DEF_H\n"
      "#define KIV_APP_" + id + "_DEF_H\n"
      "\n"
      "#include <kiv.h>\n"
      "\n"
      "#ifdef __cplusplus\n"
      "extern \"C\" {\n"
      "#endif\n"
      "\n"
      "extern KivAppSpec KivAppSpec_" + id + ";\n"
      "\n";
  WriteSymbolMacros(generator, sink);
  PrototypeWriter prototypes(sink);
  generator.VisitDefinitions(prototypes);
  sink.text() +=
      "\n"
      "#ifdef __cplusplus\n"
      "}\n"
      "#endif\n"
      "\n"
      "#endif\n";
  sink.Flush();
}
