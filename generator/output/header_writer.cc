#include "generator/output/header_writer.h"

#include <string>
#include <string_view>
#include <unordered_set>

namespace {

// Text is gathered in pieces of this size before it goes to the stream, so a
// large spec is neither written line by line nor held whole in memory.
constexpr size_t kFlushSize = 1 << 16;

void FlushIfLarge(std::string& text, std::ostream& out) {
  if (text.size() < kFlushSize) return;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  text.clear();
}

// One prototype per internal name: the first definition in walk order decides
// it, later definitions bound to the same C function add nothing.
class PrototypeWriter : public DefinitionVisitor {
 public:
  PrototypeWriter(std::string& text, std::ostream& out) : text_(text), out_(out) {}

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
    FlushIfLarge(text_, out_);
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

  std::string& text_;
  std::ostream& out_;
  // Views of the internal names in the model, which outlives the writer.
  std::unordered_set<std::string_view> declared_;
};

// Reserved names, aliases, definition and parameter names; the qualified
// names of class members are numbered above lastNameSymbol and left out.
void WriteSymbolMacros(const Generator& generator, std::string& text,
                       std::ostream& out) {
  const int32_t last = generator.lastNameSymbol.value_or(-1);
  const std::string prefix = "#define KIV_APP_" + generator.specIdentifier + "_SYM_";
  for (const auto& [name, symbol] : generator.nameSymbols.ByName()) {
    if (symbol > last) continue;
    text += prefix;
    text += name;
    text += ' ' + std::to_string(symbol) + '\n';
    FlushIfLarge(text, out);
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
  WriteSymbolMacros(generator, text, out);
  PrototypeWriter prototypes(text, out);
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
