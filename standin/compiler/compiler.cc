#include "standin/compiler/compiler.h"

#include <cstdint>
#include <set>

#include "format/executable_format.h"
#include "standin/compiler/executable_writer.h"
#include "standin/compiler/script_parser.h"
#include "standin/compiler/source_info_writer.h"

namespace executable = kivformat::executable;

namespace standin {

namespace {

// Emits the instructions of one line's call, resolving its names; stops at
// the first error.
class LineEmitter {
 public:
  LineEmitter(const SpecNames& spec, ExecutableWriter& code,
              SourceInfoWriter& info, uint32_t file, uint32_t line)
      : spec_(spec), code_(code), info_(info), file_(file), line_(line) {}

  bool Statement(const Expression& call) {
    if (!Emit(call)) return false;
    Mark(call.column);
    code_.Discard();
    return true;
  }

  const ParseError& error() const { return error_; }

 private:
  void Mark(uint32_t column) {
    info_.AddPosition(static_cast<uint32_t>(code_.programCounter()), file_,
                      line_, column);
  }
  bool Fail(uint32_t column, const std::string& message) {
    error_ = ParseError{column, message};
    return false;
  }

  // The module operand and name symbol of name or alias.name.
  bool Resolve(const Expression& e, uint32_t* module, int32_t* symbol) {
    *module = executable::kMainModule;
    uint32_t nameColumn = e.column;
    if (!e.alias.empty()) {
      if (!spec_.AliasModule(e.alias, module))
        return Fail(e.column, "unknown module alias '" + e.alias + "'");
      nameColumn += static_cast<uint32_t>(e.alias.size()) + 1;
    }
    if (!spec_.Lookup(e.name, symbol))
      return Fail(nameColumn, "unknown name '" + e.name + "'");
    return true;
  }

  bool Emit(const Expression& e) {
    uint32_t module;
    int32_t symbol;
    switch (e.kind) {
      case Expression::Kind::Call:
        return EmitCall(e);
      case Expression::Kind::Name:
        if (e.alias.empty() && e.name == "args") {
          Mark(e.column);
          code_.PushArguments();
          return true;
        }
        if (!Resolve(e, &module, &symbol)) return false;
        Mark(e.column);
        code_.PushConstant(module, symbol);
        return true;
      default:
        break;
    }
    Mark(e.column);
    switch (e.kind) {
      case Expression::Kind::None:
        code_.PushNone();
        break;
      case Expression::Kind::Ellipsis:
        code_.PushEllipsis();
        break;
      case Expression::Kind::Boolean:
        code_.PushBoolean(e.boolean);
        break;
      case Expression::Kind::Integer:
        code_.PushInteger(e.integer);
        break;
      case Expression::Kind::Float:
        code_.PushFloat(e.real);
        break;
      default:
        code_.PushString(e.text);
        break;
    }
    return true;
  }

  bool EmitCall(const Expression& call) {
    uint32_t module;
    int32_t symbol;
    if (!Resolve(call, &module, &symbol)) return false;
    std::vector<int32_t> keywords;
    std::set<std::string> given;
    size_t positional = 0;
    for (const Argument& argument : call.arguments) {
      if (argument.keyword.empty()) {
        if (!keywords.empty())
          return Fail(argument.value.column,
                      "positional argument after keyword argument");
        ++positional;
        continue;
      }
      int32_t keyword;
      if (!spec_.Lookup(argument.keyword, &keyword))
        return Fail(argument.keywordColumn,
                    "unknown keyword '" + argument.keyword + "'");
      if (!given.insert(argument.keyword).second)
        return Fail(argument.keywordColumn,
                    "keyword '" + argument.keyword + "' given more than once");
      keywords.push_back(keyword);
    }
    if (positional > executable::kMaxCallArguments ||
        keywords.size() > executable::kMaxCallArguments)
      return Fail(call.column, "too many arguments");
    // Positional values first, then the keyword values in keyword order:
    // the order the call instruction expects on the stack.
    for (const Argument& argument : call.arguments)
      if (!Emit(argument.value)) return false;
    Mark(call.column);
    code_.Call(module, symbol, static_cast<uint8_t>(positional), keywords);
    return true;
  }

  const SpecNames& spec_;
  ExecutableWriter& code_;
  SourceInfoWriter& info_;
  uint32_t file_;
  uint32_t line_;
  ParseError error_{0, ""};
};

std::string Located(const std::string& fileName, uint32_t line,
                    const ParseError& error) {
  return fileName + ":" + std::to_string(line) + ":" +
         std::to_string(error.column) + ": " + error.message;
}

}  // namespace

Compilation CompileScript(const SpecNames& spec, const std::string& fileName,
                          const std::string& text) {
  Compilation result;
  ExecutableWriter code(spec.checkValue());
  SourceInfoWriter info;
  const uint32_t file = info.AddFile(fileName);
  uint32_t line = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++line;
    ParsedLine parsed = ParseLine(text.substr(start, end - start));
    start = end + 1;
    if (parsed.error) {
      result.errors.push_back(Located(fileName, line, *parsed.error));
      continue;
    }
    if (!parsed.call) continue;
    LineEmitter emitter(spec, code, info, file, line);
    if (!emitter.Statement(*parsed.call))
      result.errors.push_back(Located(fileName, line, emitter.error()));
  }
  code.End();
  for (const auto& [name, symbol] : spec.symbols())
    info.AddSymbol(symbol, name);
  if (result.errors.empty()) {
    result.executable = code.bytes();
    result.sourceInfo = info.Bytes();
  }
  return result;
}

}  // namespace standin
