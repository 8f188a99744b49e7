// The model of the application spec being read. The parser calls one
// statement operation per statement; each checks it, records its effect and
// reports problems as records to a DiagnosticSink. Finalize completes the model
// and the writers then read it. Every element handed to an operation is owned
// by that operation from then on.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "format/encoded_spec_format.h"
#include "format/spec_file_format.h"
#include "generator/frontend/spec_elements.h"
#include "generator/frontend/token.h"
#include "generator/model/definition_walk.h"
#include "generator/model/diagnostic.h"
#include "generator/model/symbol_table.h"

namespace kivg {

// One import that named a module: its alias and where it was written.
struct ModuleReference {
  std::string alias;
  SourceLocation location;
};

class Generator {
 public:
  // Diagnostics go to the sink, which must outlive the Generator.
  Generator(DiagnosticSink& diagnostics, std::string specName);
  // Diagnostics are printed on the stream as kivg's lines.
  Generator(std::ostream& errorStream, std::string specName);
  // Nested class scopes go one level at a time (ClassDefinition's
  // destructor), so a deeply nested spec cannot overflow the stack.
  ~Generator();
  Generator(const Generator&) = delete;
  Generator& operator=(const Generator&) = delete;

  // Statement operations, called by the parser's reduce actions. Each takes
  // ownership of the elements it receives.
  void DeclareLibrary(Token* lib);
  void IncludeSource(Token* name);
  // Without an alias the same token is passed as both; it is deleted once.
  void ImportModule(Token* module, Token* alias);
  void SetFeature(Token* name, bool enable);
  void AssignConstant(Token* name, Literal* value);
  void DefineFunction(Token* name, ParameterList* parameters,
                      Token* internalName);
  void DefineClass(Token* name);
  void EndClass();
  void DeleteNames(NameList* names);
  // A Literal, or null after reporting why it cannot be built.
  Literal* MakeLiteral(Token* token);
  // Reports a parser error at currentLocation and counts it.
  void ReportError(const std::string& message);

  // Reports one diagnostic to the sink. Does not count.
  void ReportDiagnostic(const std::string& message,
                        const SourceLocation& location, bool isError);
  void ReportDiagnostic(const Diagnostic& diagnostic);

  // Driver hooks.
  void SetSource(const std::string& fileName, bool atFirstStatement,
                 bool isLibrary, const SourceLocation& location);
  // The next queued module (empty when none is left) and the imports that
  // named it, by alias and then in import order.
  std::string StartNextModule(std::vector<ModuleReference>* references);
  void QueueModule(const std::string& name);

  // Completes the model; false after the class-feature error.
  bool Finalize();
  // From the walk, which Finalize records first.
  uint32_t ComputeCheckValue() const;

  // State. The statement operations fill the reading-time fields, which the
  // driver reads too; finalization completes the rest, and the writers read
  // what it leaves.
  DiagnosticSink& diagnostics;
  int32_t errorCount = 0;
  std::string specName;
  std::string specIdentifier;
  // The file name of the generated header, which the C source includes:
  // specName + ".h" unless the driver names the code files apart.
  std::string headerFileName;
  // The oldest versions; Finalize raises them to what the spec needs.
  uint8_t specFormatVersion = kivformat::spec_file::kFirstVersion;
  uint8_t appSpecFormatVersion = kivformat::encoded_spec::kFirstVersion;
  bool atFirstStatement = true;
  bool isLibrary = false;
  SourceLocation currentLocation;
  std::string currentSourceName;
  std::string currentModuleName;
  std::shared_ptr<DefinitionMap> scope;
  std::deque<std::shared_ptr<DefinitionMap>> scopeStack;
  std::deque<std::string> moduleQueue;
  std::set<std::string> everQueued;
  struct AliasBinding {
    std::string moduleName;
    std::vector<SourceLocation> locations;
  };
  std::map<std::string, AliasBinding> importsByAlias;
  std::map<std::string, std::map<std::string, std::vector<SourceLocation>>>
      importsByModule;
  std::map<std::string, std::shared_ptr<DefinitionMap>> moduleDefinitions;
  SymbolTable moduleSymbols{0};
  SymbolTable nameSymbols{64};
  std::optional<int32_t> lastNameSymbol;
  struct Module {
    std::string name;
    std::shared_ptr<DefinitionMap> definitions;
  };
  std::map<AliasSet, Module> modules;
  // The one ordered walk over all modules and definitions, recorded by
  // Finalize once the model is complete; everything after reads it.
  DefinitionWalk walk;
  bool finalized = false;
  bool symbolsAssigned = false;
  std::optional<uint32_t> checkValue;  // set by Finalize
  uint8_t features = 0;

 private:
  bool CheckReservedName(const std::string& name, const SourceElement& element);
  void RemoveExistingDefinition(const std::string& name,
                                const SourceElement& element, bool warn);
  void ReportErrorAt(const std::string& message,
                     const SourceLocation& location);
  // An error that refers to another place.
  void ReportErrorAt(const std::string& message, const SourceLocation& location,
                     const SourceLocation& relatedLocation,
                     const std::string& relatedMessage);
  // Finalize's steps, in the order it takes them.
  void AddClassInitializer();
  void DefineReservedSymbols();
  // The modules map from moduleDefinitions, and the module symbols.
  void BuildModules();
  // Records the walk over the modules and their definition maps.
  void RecordWalk();
  // Which function gives each internal name its prototype (firstBinding).
  void RecordFirstBindings();
  void SetFormatVersions();
  // False after reporting a class without the class feature.
  bool CheckClassFeature();
  // Finalization's checks of the names that reach the generated code; each
  // problem is a located diagnostic, and an error makes Finalize fail.
  void CheckImportAliases();
  void CheckGeneratedNames();

  Generator(std::unique_ptr<DiagnosticPrinter> printer, std::string specName);

  // The printer of the stream constructor; null with an outside sink.
  std::unique_ptr<DiagnosticPrinter> printer_;
};

}  // namespace kivg
