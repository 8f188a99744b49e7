// Finalization's checks of the names that reach the generated C code and the
// encoded spec: import aliases that the class feature reserves, aliases that
// share their symbol with a definition, and the internal and parameter names
// that the C source and header are written with. A spec that passes without
// a warning gives C that compiles as C99 and a header that compiles from C++.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/reserved_names.h"
#include "format/spec_file_format.h"
#include "generator/model/c_identifiers.h"
#include "generator/model/generator.h"

namespace spec_file = kivformat::spec_file;
namespace reserved_names = kivformat::reserved_names;

namespace kivg {

namespace {

using spec_file::kClassFeature;

std::string Quoted(std::string_view name) {
  return "'" + std::string(name) + "'";
}

// Walks every function definition in walk order and reports its internal
// name and parameter names. The first definition that binds an internal name
// (WalkStep::firstBinding) decides the one prototype the header declares for
// it, and a later one must agree with it.
class CNameChecker {
 public:
  CNameChecker(Generator& generator,
               void (Generator::*reportError)(const std::string&,
                                              const SourceLocation&,
                                              const SourceLocation&,
                                              const std::string&))
      : generator_(generator),
        reportError_(reportError),
        dispatchName_("KivDispatch_" + generator.specIdentifier),
        recordName_("KivAppSpec_" + generator.specIdentifier),
        macroPrefix_("KIV_APP_" + generator.specIdentifier + "_") {}

  void Check(const DefinitionWalk& walk) {
    const std::vector<WalkStep>& steps = walk.steps();
    for (const WalkStep& step : steps) {
      if (step.kind != StepKind::kFunction) continue;
      CheckInternalName(walk, step, Function(steps[step.firstBinding]));
      for (const auto& parameter : Function(step).parameters->parameters)
        CheckParameter(*parameter);
    }
  }

 private:
  static const FunctionDefinition& Function(const WalkStep& step) {
    return static_cast<const FunctionDefinition&>(*step.element);
  }

  // The parameter whose C name is the function's internal name, if any.
  static const WalkParameter* ParameterNamedLikeInternal(
      const DefinitionWalk& walk, const WalkStep& function) {
    for (const WalkParameter& parameter : walk.ParametersOf(function)) {
      if (c_identifiers::IsCNameOfParameter(function.internalName,
                                            parameter.name))
        return &parameter;
    }
    return nullptr;
  }

  void CheckInternalName(const DefinitionWalk& walk, const WalkStep& step,
                         const FunctionDefinition& first) {
    const FunctionDefinition& function = Function(step);
    const std::string& name = function.internalName;
    const SourceLocation& where = function.location;
    // Messages are only built when there is something to report.
    const auto internal = [&name] { return "Internal name " + Quoted(name); };
    const char* const rename = "; use another internal name";
    if (c_identifiers::IsCKeyword(name))
      return Error(internal() + " is a C keyword" + rename, where);
    if (c_identifiers::IsDefinedByIncludedHeaders(name) ||
        IsDefinedByGeneratedCode(name))
      return Error(internal() +
                       " is already defined by the generated code or the "
                       "headers it includes" +
                       rename,
                   where);
    if (c_identifiers::IsDispatchVariable(name))
      return Error(internal() +
                       " is a variable of the generated dispatch function" +
                       rename,
                   where);
    if (const WalkParameter* parameter = ParameterNamedLikeInternal(walk, step))
      return Error(internal() + " is the C name of the function's parameter " +
                       Quoted(parameter->name) +
                       "; rename the internal name or the parameter",
                   where);
    const size_t count = function.parameters->parameters.size();
    const size_t firstCount = first.parameters->parameters.size();
    if (&first != &function && firstCount != count) {
      return Error(
          internal() + " is bound with " + std::to_string(count) +
              " parameter(s) " + Place(where, "here") + " but with " +
              std::to_string(firstCount) + " " +
              Place(first.location, "at " + FormatLocation(first.location)) +
              "; a C function has one prototype, so use another "
              "internal name",
          where, first.location, "The first binding of " + Quoted(name));
    }
    if (c_identifiers::IsCxxKeyword(name))
      return Warning(internal() +
                         " is a C++ keyword; the generated header cannot be "
                         "included from C++",
                     where);
    if (name == "main")
      return Warning(internal() +
                         " is the C program's entry point; the two would "
                         "clash when the application is built",
                     where);
    if (c_identifiers::IsStandardLibraryObject(name))
      return Warning(internal() +
                         " is a macro of the C standard library that stands "
                         "for an object; the two would clash when the "
                         "application is built",
                     where);
    if (c_identifiers::IsStandardLibraryFunction(name))
      return Warning(internal() +
                         " is a function of the C standard library; the two "
                         "would clash when the application is built",
                     where);
    if (c_identifiers::IsReservedToImplementation(name))
      return Warning(internal() +
                         " is reserved to the C implementation (it starts "
                         "with '__' or with '_' and an upper-case letter)",
                     where);
  }

  // Where a definition binds its internal name: the located text, or the
  // generated initializer, the only definition without a location.
  static std::string Place(const SourceLocation& location,
                           const std::string& located) {
    if (location.HasFileName()) return located;
    return "by the generated " + Quoted(reserved_names::kInit.name);
  }

  // The C name of a parameter is "_" and its name.
  void CheckParameter(const Parameter& parameter) {
    const std::string& name = parameter.name;
    const std::string cName = "_" + name;
    const auto start = [&] {
      return "Parameter " + Quoted(name) + " has the C name " + Quoted(cName);
    };
    if (c_identifiers::IsCKeyword(cName)) {
      Error(start() + ", which is a C keyword; rename the parameter",
            parameter.location);
    } else if (c_identifiers::IsReservedToImplementation(cName)) {
      // A name that starts with "_" or an upper-case letter: compilers and
      // headers define such names (gcc _LP64, g++ _GNU_SOURCE, header
      // guards such as _STDINT_H), and one of them would break the code.
      Warning(start() + ", which is reserved to the C implementation",
              parameter.location);
    }
  }

  bool IsDefinedByGeneratedCode(std::string_view name) const {
    return name == dispatchName_ || name == recordName_ ||
           name.substr(0, macroPrefix_.size()) == macroPrefix_;
  }

  void Error(const std::string& message, const SourceLocation& where,
             const SourceLocation& related = SourceLocation(),
             const std::string& relatedMessage = std::string()) {
    (generator_.*reportError_)(message, where, related, relatedMessage);
  }
  void Warning(const std::string& message, const SourceLocation& where) {
    generator_.ReportDiagnostic(message, where, false);
  }

  Generator& generator_;
  void (Generator::*reportError_)(const std::string&, const SourceLocation&,
                                  const SourceLocation&, const std::string&);
  const std::string dispatchName_;
  const std::string recordName_;
  const std::string macroPrefix_;
};

}  // namespace

void Generator::CheckImportAliases() {
  // The class feature's names are reserved only once the feature is known to
  // be on after the last source. Such an alias is left out of the spec file
  // while its import entry is still written, so every later alias would be
  // bound to the wrong module.
  auto isReserved = [this](const std::string& alias) {
    if (!(features & kClassFeature)) return false;
    for (const reserved_names::Row& row : reserved_names::kRows) {
      if ((row.features & kClassFeature) && alias == row.name) return true;
    }
    return false;
  };
  for (const auto& [alias, binding] : importsByAlias) {
    if (isReserved(alias))
      ReportErrorAt("Cannot redefine reserved name '" + alias + "'",
                    binding.locations.front());
  }
  // Aliases and definition names are numbered from one table: an alias that
  // is also a top-level definition of the main module gets a single number
  // for both the module and the definition.
  const auto main = modules.find(AliasSet());
  if (main == modules.end()) return;
  const DefinitionMap& definitions = *main->second.definitions;
  for (const auto& entry : importsByAlias) {
    auto defined = definitions.find(entry.first);
    if (defined == definitions.end() || isReserved(entry.first)) continue;
    ReportDiagnostic("Name '" + entry.first +
                         "' is also the alias of an imported module and "
                         "shares its symbol; rename the definition or import "
                         "the module under another alias",
                     defined->second->location, false);
  }
}

void Generator::CheckGeneratedNames() {
  CNameChecker(*this, &Generator::ReportErrorAt).Check(walk);
  if (c_identifiers::IsIncludedHeaderName(headerFileName))
    ReportDiagnostic("Generated header '" + headerFileName +
                         "' would hide the header of the same name on the "
                         "include path; rename the spec or its code files",
                     SourceLocation(), false);
}

}  // namespace kivg
