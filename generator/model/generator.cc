#include "generator/model/generator.h"

#include <cctype>
#include <utility>

#include "format/reserved_names.h"
#include "format/spec_file_format.h"
#include "generator/model/parameter_checker.h"

namespace reserved_names = kivformat::reserved_names;
namespace spec_file = kivformat::spec_file;

namespace kivg {

namespace {

bool HasNulByte(const std::string& text) {
  return text.find('\0') != std::string::npos;
}

}  // namespace

Generator::Generator(std::ostream& stream, std::string name)
    : Generator(std::make_unique<DiagnosticPrinter>(stream), std::move(name)) {}

Generator::Generator(std::unique_ptr<DiagnosticPrinter> printer,
                     std::string name)
    : Generator(*printer, std::move(name)) {
  printer_ = std::move(printer);
}

Generator::Generator(DiagnosticSink& sink, std::string name)
    : diagnostics(sink),
      specName(std::move(name)),
      specIdentifier(specName),
      headerFileName(specName + ".h") {
  for (char& c : specIdentifier) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') c = '_';
  }
  moduleSymbols.Assign("");
}

// Each class releases its nested classes one level at a time (see
// ClassDefinition), so the maps can go in member order without deep recursion.
Generator::~Generator() = default;

void Generator::ReportDiagnostic(const Diagnostic& diagnostic) {
  diagnostics.Report(diagnostic);
}

void Generator::ReportDiagnostic(const std::string& message,
                                 const SourceLocation& location, bool isError) {
  Diagnostic diagnostic;
  diagnostic.severity = isError ? Severity::kError : Severity::kWarning;
  diagnostic.message = message;
  diagnostic.location = location;
  ReportDiagnostic(diagnostic);
}

void Generator::ReportErrorAt(const std::string& message,
                              const SourceLocation& location) {
  ReportDiagnostic(message, location, true);
  ++errorCount;
}

void Generator::ReportErrorAt(const std::string& message,
                              const SourceLocation& location,
                              const SourceLocation& relatedLocation,
                              const std::string& relatedMessage) {
  Diagnostic diagnostic;
  diagnostic.message = message;
  diagnostic.location = location;
  diagnostic.relatedLocation = relatedLocation;
  diagnostic.relatedMessage = relatedMessage;
  ReportDiagnostic(diagnostic);
  ++errorCount;
}

void Generator::ReportError(const std::string& message) {
  ReportErrorAt(message, currentLocation);
}

bool Generator::CheckReservedName(const std::string& name,
                                  const SourceElement& element) {
  for (const reserved_names::Row& row : reserved_names::kNeverRedefined) {
    if (name == row.name) {
      ReportErrorAt("Cannot redefine reserved name '" + name + "'",
                    element.location);
      return true;
    }
  }
  return false;
}

void Generator::RemoveExistingDefinition(const std::string& name,
                                         const SourceElement& element,
                                         bool warn) {
  auto found = scope->find(name);
  if (found == scope->end()) return;
  if (warn) {
    Diagnostic diagnostic;
    diagnostic.severity = Severity::kWarning;
    diagnostic.message = "Name '" + name + "' redefined";
    diagnostic.location = element.location;
    diagnostic.relatedLocation = found->second->location;
    diagnostic.relatedMessage = "The definition it replaces";
    ReportDiagnostic(diagnostic);
  }
  scope->erase(found);
}

void Generator::DeclareLibrary(Token* lib) {
  std::unique_ptr<Token> owned(lib);
  if (atFirstStatement) {
    atFirstStatement = false;
    isLibrary = true;
    return;
  }
  ReportErrorAt("lib must be the first statement", owned->location);
}

void Generator::IncludeSource(Token* name) {
  std::unique_ptr<Token> owned(name);
  atFirstStatement = false;
  const SourceLocation& where = owned->location;
  if (!scopeStack.empty())
    return ReportErrorAt("include must be at the top level", where);
  if (owned->text.empty())
    return ReportErrorAt("Include name cannot be empty", where);
  // A NUL byte would cut the name short when the file is opened, so the
  // request would silently name another file.
  if (HasNulByte(owned->text))
    return ReportErrorAt("Include name cannot contain a NUL byte", where);
  std::string fileName = owned->text + ".kivs";
  if (fileName == currentSourceName)
    return ReportErrorAt("Source file cannot include itself: " + fileName,
                         where);
  currentSourceName = std::move(fileName);
  currentLocation = where;
}

void Generator::ImportModule(Token* module, Token* alias) {
  // An import without an alias passes one token as both; own it once.
  std::unique_ptr<Token> ownedModule(module);
  std::unique_ptr<Token> ownedAlias(alias == module ? nullptr : alias);
  const Token& aliasToken = *alias;
  const std::string& moduleName = ownedModule->text;
  const SourceLocation& moduleWhere = ownedModule->location;

  atFirstStatement = false;
  if (!scopeStack.empty())
    return ReportErrorAt("import must be at the top level", moduleWhere);
  if (moduleName.empty())
    return ReportErrorAt("Module name cannot be empty", moduleWhere);
  if (HasNulByte(moduleName))
    return ReportErrorAt("Module name cannot contain a NUL byte", moduleWhere);
  // The main spec was queued under its own name but is kept as module "";
  // importing it would queue nothing and leave the alias without a module.
  if (moduleName == specName)
    return ReportErrorAt("Cannot import the main spec '" + moduleName + "'",
                         moduleWhere);
  if (CheckReservedName(aliasToken.text, aliasToken)) return;

  auto bound = importsByAlias.find(aliasToken.text);
  if (bound != importsByAlias.end() && bound->second.moduleName != moduleName) {
    ReportErrorAt("Cannot import module '" + moduleName + "' as '" +
                      aliasToken.text + "' ...",
                  aliasToken.location);
    for (const SourceLocation& earlier : bound->second.locations) {
      ReportErrorAt("... Module '" + bound->second.moduleName +
                        "' was previously imported as '" + aliasToken.text +
                        "' here",
                    earlier);
    }
    return;
  }

  AliasBinding& binding = importsByAlias[aliasToken.text];
  binding.moduleName = moduleName;
  binding.locations.push_back(aliasToken.location);
  importsByModule[moduleName][aliasToken.text].push_back(aliasToken.location);
  QueueModule(moduleName);
  currentLocation = aliasToken.location;
}

void Generator::SetFeature(Token* name, bool enable) {
  std::unique_ptr<Token> owned(name);
  atFirstStatement = false;
  if (!scopeStack.empty())
    return ReportErrorAt("Feature definitions must be at the top level",
                         owned->location);
  uint8_t bit = 0;
  if (owned->text == "class")
    bit = spec_file::kClassFeature;
  else
    ReportErrorAt("Unknown feature '" + owned->text + "'", owned->location);
  if (enable)
    features |= bit;
  else
    features &= static_cast<uint8_t>(~bit);
}

void Generator::AssignConstant(Token* name, Literal* value) {
  std::unique_ptr<Token> owned(name);
  std::unique_ptr<Literal> ownedValue(value);
  atFirstStatement = false;
  // A bare name may reuse a reserved name; only giving it a value may not.
  if (ownedValue && CheckReservedName(owned->text, *owned)) return;
  RemoveExistingDefinition(owned->text, *owned, true);
  (*scope)[owned->text] =
      std::make_shared<Assignment>(*owned, ownedValue.release());
  currentLocation = owned->location;
}

void Generator::DefineFunction(Token* name, ParameterList* parameters,
                               Token* internalName) {
  std::unique_ptr<Token> owned(name);
  std::unique_ptr<ParameterList> ownedParameters(parameters);
  std::unique_ptr<Token> ownedInternal(internalName);
  if (!ownedParameters) ownedParameters = std::make_unique<ParameterList>();
  atFirstStatement = false;
  if (CheckReservedName(owned->text, *owned)) return;

  // Only the first failing parameter is reported; the definition is recorded
  // all the same, and the error count ends the run.
  ParameterChecker checker;
  for (const auto& parameter : ownedParameters->parameters) {
    int32_t kind = static_cast<int32_t>(parameter->kind);
    if (kind < 0 || kind > 2) {
      ReportErrorAt("Internal error: Unknown parameter type",
                    parameter->location);
      break;
    }
    std::string message = checker.Check(parameter->name, parameter->kind,
                                        parameter->defaultValue != nullptr);
    if (!message.empty()) {
      ReportErrorAt(message, parameter->location);
      break;
    }
  }

  RemoveExistingDefinition(owned->text, *owned, true);
  (*scope)[owned->text] = std::make_shared<FunctionDefinition>(
      *owned, isLibrary, ownedInternal->text, ownedParameters.release());
  currentLocation = owned->location;
}

void Generator::DefineClass(Token* name) {
  std::unique_ptr<Token> owned(name);
  atFirstStatement = false;
  if (CheckReservedName(owned->text, *owned)) return;
  RemoveExistingDefinition(owned->text, *owned, true);
  auto definition = std::make_shared<ClassDefinition>(*owned);
  (*scope)[owned->text] = definition;
  scopeStack.push_back(scope);
  scope = definition->definitions;
}

void Generator::EndClass() {
  // Without an open class there is no enclosing scope to return to; the
  // current one stays.
  if (scopeStack.empty()) return;
  scope = std::move(scopeStack.back());
  scopeStack.pop_back();
}

void Generator::DeleteNames(NameList* names) {
  std::unique_ptr<NameList> owned(names);
  for (const std::string& name : owned->names) {
    if (scope->erase(name) == 0)
      ReportErrorAt("Cannot delete '" + name + "'; not found", owned->location);
  }
}

Literal* Generator::MakeLiteral(Token* token) {
  std::unique_ptr<Token> owned(token);
  try {
    return new Literal(*owned);
  } catch (const ElementError& error) {
    ReportErrorAt(error.message, error.element.location);
    return nullptr;
  }
}

void Generator::SetSource(const std::string& fileName, bool firstStatement,
                          bool library, const SourceLocation& location) {
  currentSourceName = fileName;
  atFirstStatement = firstStatement;
  isLibrary = library;
  currentLocation = location;
}

std::string Generator::StartNextModule(
    std::vector<ModuleReference>* references) {
  if (references != nullptr) references->clear();
  if (moduleQueue.empty()) {
    currentModuleName.clear();
    return {};
  }
  std::string queuedName = std::move(moduleQueue.front());
  moduleQueue.pop_front();

  // The first module read is the main spec, whose definitions are kept under
  // the empty module name whatever name it was queued under.
  currentModuleName = moduleDefinitions.empty() ? std::string() : queuedName;
  scope = std::make_shared<DefinitionMap>();
  moduleDefinitions[currentModuleName] = scope;
  // Every file closes its classes before it ends; a module always starts at
  // the top level.
  scopeStack.clear();

  auto imports = importsByModule.find(queuedName);
  if (references != nullptr && imports != importsByModule.end()) {
    for (const auto& [alias, locations] : imports->second) {
      for (const SourceLocation& location : locations)
        references->push_back(ModuleReference{alias, location});
    }
  }
  return queuedName;
}

void Generator::QueueModule(const std::string& name) {
  if (everQueued.insert(name).second) moduleQueue.push_back(name);
}

}  // namespace kivg
