#include "generator/output/header_writer.h"

#include <set>
#include <string>

namespace {

// One prototype per internal name: the first definition in walk order decides
// it, later definitions bound to the same C function add nothing.
class PrototypeWriter : public DefinitionVisitor {
 public:
  explicit PrototypeWriter(std::string& text) : text_(text) {}

  void Definition(const std::string&, const std::string&,
                  const SourceElement& element) override {
    const auto* function = dynamic_cast<const FunctionDefinition*>(&element);
    if (function == nullptr) return;
    if (!declared_.insert(function->internalName).second) return;

    text_ += '\n';
    if (function->isLibrary) text_ += "KIV_LIB_API ";
    text_ += "KivRunResult " + function->internalName + '\n';
    if (function->parameters == nullptr || function->parameters->parameters.empty()) {
      text_ += "    (KivEngine *, KivDataEntry **returnValue);\n";
      return;
    }
    text_ += "    (KivEngine *,\n";
    for (const auto& parameter : function->parameters->parameters) {
      text_ += "     KivDataEntry *_" + parameter->name + ',';
      if (parameter->kind == ParameterKind::TupleGroup)
        text_ += " /* tuple group */";
      else if (parameter->kind == ParameterKind::DictionaryGroup)
        text_ += " /* dictionary group */";
      text_ += '\n';
    }
    text_ += "     KivDataEntry **returnValue);\n";
  }

 private:
  std::string& text_;
  std::set<std::string> declared_;
};

// Reserved names, aliases, definition and parameter names; the qualified
// names of class members are numbered above lastNameSymbol and left out.
void AppendSymbolMacros(const Generator& generator, std::string& text) {
  const int32_t last = generator.lastNameSymbol.value_or(-1);
  const std::string prefix = "#define KIV_APP_" + generator.specIdentifier + "_SYM_";
  for (const auto& entry : generator.nameSymbols) {
    if (entry.second > last) continue;
    text += prefix + entry.first + ' ' + std::to_string(entry.second) + '\n';
  }
}

}  // namespace

void WriteHeader(const Generator& generator, std::ostream& out) {
  if (!generator.symbolsAssigned)
    throw std::string("Internal error: Symbol not assigned");

  const std::string& id = generator.specIdentifier;
  std::string text =
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
  AppendSymbolMacros(generator, text);
  PrototypeWriter prototypes(text);
  generator.VisitDefinitions(prototypes);
  text +=
      "\n"
      "#ifdef __cplusplus\n"
      "}\n"
      "#endif\n"
      "\n"
      "#endif\n";
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}
