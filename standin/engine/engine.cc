// The stand-in engine's C interface: initialization, the three ways of
// loading code, the step loop of its small stack machine, argument binding
// for app-function calls and the value operations app functions use.
#include <cstring>
#include <new>
#include <string>

#include "format/coding.h"
#include "format/encoded_spec_format.h"
#include "format/executable_format.h"
#include "include/kiv.h"
#include "standin/engine/engine_results.h"
#include "standin/engine/engine_state.h"
#include "standin/engine/value_text.h"

namespace coding = kivformat::coding;
namespace encoded_spec = kivformat::encoded_spec;
namespace executable = kivformat::executable;

using standin::EngineState;
using standin::EntryKind;
using standin::Fetch;
using standin::kNoEntry;

namespace {

static_assert(sizeof(EngineState) <= sizeof(KivEngine),
              "engine state must fit the application's engine object");
static_assert(alignof(EngineState) <= alignof(KivEngine),
              "engine state must be aligned like the engine object");

constexpr uint8_t kEngineVersion[4] = {
    (KIV_VERSION >> 24) & 0xFF, (KIV_VERSION >> 16) & 0xFF,
    (KIV_VERSION >> 8) & 0xFF, KIV_VERSION & 0xFF};

// The code store as a byte source for the shared reader. It is read byte by
// byte, because the store may page between any two, and it remembers why a
// read stopped.
class CodeSource {
 public:
  explicit CodeSource(standin::CodeStore& code) : code_(&code) {}

  bool Read(size_t offset, uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      status_ = code_->ByteAt(offset + i, &out[i]);
      if (status_ != Fetch::Ok) return false;
    }
    return true;
  }
  KivRunResult failure() const {
    return status_ == Fetch::ReadError ? engine_results::kCodeReadError
                                       : engine_results::kInvalidInstruction;
  }

 private:
  standin::CodeStore* code_;
  Fetch status_ = Fetch::Ok;
};

// Reads an instruction and its operands; after a failed read, failure()
// says whether the code ran out or could not be read.
class CodeCursor : public coding::ByteReader<CodeSource> {
 public:
  CodeCursor(standin::CodeStore& code, size_t offset)
      : ByteReader(CodeSource(code), offset) {}
  size_t offset() const { return position(); }
  KivRunResult failure() const { return source().failure(); }
};

KivAddCodeResult CheckHeader(EngineState& state) {
  uint8_t header[executable::kHeaderSize];
  for (size_t i = 0; i < executable::kHeaderSize; ++i) {
    Fetch fetched = state.code.ByteAt(i, &header[i]);
    if (fetched == Fetch::ReadError) return engine_results::kPageReadError;
    // A cut-off header may already show a wrong magic.
    if (fetched == Fetch::End || (i < executable::kMagicSize &&
                                  header[i] != uint8_t(executable::kMagic[i])))
      return engine_results::kInvalidExecutable;
  }
  const uint8_t* version = header + executable::kCodeVersionOffset;
  if (version[0] != kEngineVersion[0] || version[1] > kEngineVersion[1])
    return engine_results::kUnsupportedCodeVersion;
  const uint8_t* check = header + executable::kCheckValueOffset;
  const uint32_t checkValue = coding::DecodeFixed32(check);
  if (checkValue != state.appSpec->checkValue)
    return KivAddCodeResult_InvalidCheckValue;
  std::memcpy(state.codeVersion, version, 4);
  state.headerChecked = true;
  return KivAddCodeResult_OK;
}

KivAddCodeResult Seal(EngineState& state) {
  KivAddCodeResult result = CheckHeader(state);
  if (result != KivAddCodeResult_OK) return result;
  state.sealed = true;
  state.programCounter = executable::kHeaderSize;
  return KivAddCodeResult_OK;
}

bool ResolveModule(const EngineState& state, uint32_t operand,
                   int32_t* module) {
  if (operand == executable::kMainModule) {
    *module = 0;
    return true;
  }
  return state.spec.ImportedModule(operand, module);
}

bool PushValue(EngineState& state, uint32_t value) {
  if (value == kNoEntry) return false;
  if (state.data.Push(&state.stackTop, value)) return true;
  state.data.Unref(value);
  return false;
}

KivRunResult PushConstant(EngineState& state, uint32_t moduleOperand,
                          int32_t symbol) {
  int32_t module;
  standin::SpecDefinition definition;
  if (!ResolveModule(state, moduleOperand, &module) ||
      !state.spec.FindDefinition(module, symbol, &definition))
    return engine_results::kUndefinedName;
  uint32_t value;
  if (definition.kind == standin::DefinitionKind::Constant) {
    standin::SpecValue literal;
    if (!state.spec.ReadValue(definition.value, &literal, nullptr))
      return engine_results::kInvalidAppSpec;
    value = standin::NewSpecValue(state, literal);
  } else if (definition.kind == standin::DefinitionKind::BareName) {
    value = state.data.NewScalar(EntryKind::None);
  } else {
    return engine_results::kUndefinedName;
  }
  return PushValue(state, value) ? KivRunResult_OK
                                 : KivRunResult_OutOfDataMemory;
}

// Binds the positional values and then the keyword values of a call to the
// function's parameters in ns, filling the rest from the defaults.
KivRunResult BindArguments(EngineState& state,
                           const standin::SpecDefinition& function,
                           const uint32_t* values, size_t positionalCount,
                           const uint32_t* keywords, size_t keywordCount,
                           uint32_t ns) {
  using standin::ParameterKindCode;
  standin::DataArea& data = state.data;
  standin::SpecParameter parameter;
  size_t next = 0;
  bool hasDictionary = false;
  standin::EncodedSpec::Parameters walk(state.spec, function);
  while (walk.Next(&parameter)) {
    if (parameter.kind == ParameterKindCode::DictionaryGroup) {
      hasDictionary = true;
    } else if (parameter.kind == ParameterKindCode::TupleGroup) {
      // The group takes every positional value left; later parameters can
      // only be given by keyword.
      uint32_t tuple = data.NewTuple(positionalCount - next);
      if (tuple == kNoEntry) return KivRunResult_OutOfDataMemory;
      for (size_t i = 0; next < positionalCount; ++i, ++next) {
        data.Ref(values[next]);
        data.SetElement(tuple, i, values[next]);
      }
      bool bound = data.Bind(ns, parameter.symbol, tuple);
      data.Unref(tuple);
      if (!bound) return KivRunResult_OutOfDataMemory;
    } else if (next < positionalCount) {
      if (!data.Bind(ns, parameter.symbol, values[next++]))
        return KivRunResult_OutOfDataMemory;
    }
  }
  if (walk.failed()) return engine_results::kInvalidAppSpec;
  if (next < positionalCount) return engine_results::kTooManyArguments;

  for (size_t k = 0; k < keywordCount; ++k) {
    const int32_t symbol = static_cast<int32_t>(keywords[k]);
    bool found = false;
    standin::EncodedSpec::Parameters match(state.spec, function);
    while (!found && match.Next(&parameter))
      found = parameter.symbol == symbol &&
              parameter.kind == ParameterKindCode::Positional;
    if (!found)
      return hasDictionary ? engine_results::kNotSupported
                           : engine_results::kUnexpectedKeyword;
    if (data.Bound(ns, symbol) != kNoEntry)
      return engine_results::kDuplicateArgument;
    if (!data.Bind(ns, symbol, values[positionalCount + k]))
      return KivRunResult_OutOfDataMemory;
  }

  standin::EncodedSpec::Parameters defaults(state.spec, function);
  while (defaults.Next(&parameter)) {
    if (parameter.kind != ParameterKindCode::Positional ||
        data.Bound(ns, parameter.symbol) != kNoEntry)
      continue;
    if (!parameter.hasDefault) return engine_results::kMissingArgument;
    standin::SpecValue literal;
    if (!state.spec.ReadValue(parameter.value, &literal, nullptr))
      return engine_results::kInvalidAppSpec;
    uint32_t value = standin::NewSpecValue(state, literal);
    if (value == kNoEntry) return KivRunResult_OutOfDataMemory;
    bool bound = data.Bind(ns, parameter.symbol, value);
    data.Unref(value);
    if (!bound) return KivRunResult_OutOfDataMemory;
  }
  return KivRunResult_OK;
}

// Runs the call instruction at the cursor. The arguments stay on the stack
// until the call completes, so a call that asks to be called again is simply
// run once more by the next step.
KivRunResult Call(KivEngine* engine, EngineState& state, CodeCursor& cursor) {
  uint32_t moduleOperand, symbolWord;
  uint8_t positionalCount, keywordCount;
  uint32_t keywords[executable::kMaxCallArguments];
  if (!cursor.GetFixed32(&moduleOperand) || !cursor.GetFixed32(&symbolWord) ||
      !cursor.GetByte(&positionalCount) || !cursor.GetByte(&keywordCount))
    return cursor.failure();
  for (size_t k = 0; k < keywordCount; ++k)
    if (!cursor.GetFixed32(&keywords[k])) return cursor.failure();

  int32_t module;
  standin::SpecDefinition function;
  if (!ResolveModule(state, moduleOperand, &module) ||
      !state.spec.FindFunction(module, static_cast<int32_t>(symbolWord),
                               &function))
    return KivRunResult_UndefinedAppFunction;

  standin::DataArea& data = state.data;
  const size_t total = size_t{positionalCount} + keywordCount;
  uint32_t values[2 * executable::kMaxCallArguments];
  for (size_t depth = 0; depth < total; ++depth) {
    values[total - 1 - depth] = data.Peek(state.stackTop, depth);
    if (values[total - 1 - depth] == kNoEntry)
      return engine_results::kStackError;
  }

  uint32_t ns = data.NewNamespace();
  if (ns == kNoEntry) return KivRunResult_OutOfDataMemory;
  KivRunResult result = BindArguments(state, function, values, positionalCount,
                                      keywords, keywordCount, ns);
  uint32_t preset = kNoEntry;
  if (result == KivRunResult_OK) {
    preset = data.NewScalar(EntryKind::None);
    if (preset == kNoEntry) result = KivRunResult_OutOfDataMemory;
  }
  if (result != KivRunResult_OK) {
    data.Unref(ns);
    return result;
  }

  KivDataEntry* returned = data.At(preset);
  result = state.appSpec->dispatch(engine, module, function.dispatchSymbol,
                                   data.At(ns), &returned);
  data.Unref(ns);
  // An app function stores a new reference, or leaves the preset None.
  uint32_t value =
      returned == data.At(preset) ? preset : data.IndexOf(returned);
  if (value != preset) data.Unref(preset);
  if (value == kNoEntry) value = data.NewScalar(EntryKind::None);

  state.again = result == KivRunResult_Again;
  if (result != KivRunResult_OK) {
    data.Unref(value);
    if (result == KivRunResult_Again) return KivRunResult_OK;
    if (result == KivRunResult_Complete) state.finished = true;
    return result;
  }
  if (value == kNoEntry) return KivRunResult_OutOfDataMemory;
  for (size_t i = 0; i < total; ++i) data.Unref(data.Pop(&state.stackTop));
  if (!PushValue(state, value)) return KivRunResult_OutOfDataMemory;
  state.programCounter = cursor.offset();
  return KivRunResult_OK;
}

KivRunResult Execute(KivEngine* engine, EngineState& state) {
  standin::DataArea& data = state.data;
  CodeCursor cursor(state.code, state.programCounter);
  uint8_t opcode;
  if (!cursor.GetByte(&opcode)) return cursor.failure();
  uint32_t value = kNoEntry;
  switch (opcode) {
    case executable::kPushNone:
      value = data.NewScalar(EntryKind::None);
      break;
    case executable::kPushEllipsis:
      value = data.NewScalar(EntryKind::Ellipsis);
      break;
    case executable::kPushBoolean: {
      uint8_t flag;
      if (!cursor.GetByte(&flag)) return cursor.failure();
      value = data.NewBoolean(flag != 0);
      break;
    }
    case executable::kPushInteger: {
      uint64_t bits;
      if (!cursor.GetFixed64(&bits)) return cursor.failure();
      value = data.NewInteger(static_cast<int64_t>(bits));
      break;
    }
    case executable::kPushFloat: {
      double real;
      if (!cursor.GetDouble(&real)) return cursor.failure();
      value = data.NewFloat(real);
      break;
    }
    case executable::kPushString: {
      uint32_t length;
      if (!cursor.GetFixed32(&length)) return cursor.failure();
      std::string text;
      for (uint32_t i = 0; i < length; ++i) {
        uint8_t byte;
        if (!cursor.GetByte(&byte)) return cursor.failure();
        text += static_cast<char>(byte);
      }
      value = data.NewString(text.data(), text.size());
      break;
    }
    case executable::kPushConstant: {
      uint32_t module, symbol;
      if (!cursor.GetFixed32(&module) || !cursor.GetFixed32(&symbol))
        return cursor.failure();
      KivRunResult result =
          PushConstant(state, module, static_cast<int32_t>(symbol));
      if (result == KivRunResult_OK) state.programCounter = cursor.offset();
      return result;
    }
    case executable::kPushArguments:
      if (state.arguments == kNoEntry) {
        value = data.NewTuple(0);
      } else {
        value = state.arguments;
        data.Ref(value);
      }
      break;
    case executable::kCall:
      return Call(engine, state, cursor);
    case executable::kDiscard: {
      uint32_t top = data.Pop(&state.stackTop);
      if (top == kNoEntry) return engine_results::kStackError;
      data.Unref(top);
      state.programCounter = cursor.offset();
      return KivRunResult_OK;
    }
    case executable::kEnd:
      state.finished = true;
      return KivRunResult_Complete;
    default:
      return engine_results::kInvalidInstruction;
  }
  if (!PushValue(state, value)) return KivRunResult_OutOfDataMemory;
  state.programCounter = cursor.offset();
  return KivRunResult_OK;
}

// The index of an entry handed to the application, when it is a value.
uint32_t ValueIndex(EngineState* state, const KivDataEntry* entry) {
  return state == nullptr ? kNoEntry : state->data.IndexOf(entry);
}

}  // namespace

namespace standin {

EngineState* LiveState(KivEngine* engine) {
  if (engine == nullptr) return nullptr;
  auto* state = reinterpret_cast<EngineState*>(engine->storage);
  return state->marker == kLiveMarker ? state : nullptr;
}

uint32_t NewSpecValue(EngineState& state, const SpecValue& value) {
  DataArea& data = state.data;
  switch (value.type) {
    case encoded_spec::kValueEllipsis:
      return data.NewScalar(EntryKind::Ellipsis);
    case encoded_spec::kValueBoolean:
      return data.NewBoolean(value.boolean);
    case encoded_spec::kValueInteger:
      return data.NewInteger(value.integer);
    case encoded_spec::kValueFloat:
      return data.NewFloat(value.real);
    case encoded_spec::kValueString:
      return data.NewString(
          reinterpret_cast<const char*>(state.spec.bytes() + value.textOffset),
          value.textLength);
    default:
      return data.NewScalar(EntryKind::None);
  }
}

}  // namespace standin

extern "C" {

size_t KivDataEntrySize(void) { return sizeof(KivDataEntry); }

void KivEngineVersion(uint8_t version[4]) {
  std::memcpy(version, kEngineVersion, 4);
}

void KivCodeVersion(KivEngine* engine, uint8_t version[4]) {
  EngineState* state = standin::LiveState(engine);
  if (state != nullptr && state->headerChecked)
    std::memcpy(version, state->codeVersion, 4);
  else
    std::memset(version, 0, 4);
}

KivRunResult KivInitialize(KivEngine* engine, uint8_t* code, size_t codeSize,
                           void* data, size_t dataSize, const KivAppSpec* spec,
                           void* context) {
  if (engine == nullptr) return engine_results::kInvalidArgument;
  EngineState* state = new (engine->storage) EngineState();
  if (spec == nullptr || spec->dispatch == nullptr ||
      !state->data.Reset(data, dataSize))
    return engine_results::kInvalidArgument;
  state->spec = standin::EncodedSpec(
      reinterpret_cast<const uint8_t*>(spec->spec), spec->specSize);
  if (!state->spec.Validate()) return engine_results::kInvalidAppSpec;
  state->code.Reset(code, codeSize);
  state->appSpec = spec;
  state->context = context;
  state->stackTop = kNoEntry;
  state->arguments = kNoEntry;
  state->marker = standin::kLiveMarker;
  return KivRunResult_OK;
}

KivAddCodeResult KivSealCode(KivEngine* engine, const uint8_t* code,
                             size_t size) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr || state->code.loading())
    return engine_results::kWrongLoadState;
  state->code.UseWhole(code, size);
  return Seal(*state);
}

KivAddCodeResult KivAddCode(KivEngine* engine, const uint8_t* bytes,
                            size_t count) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr || state->sealed) return engine_results::kWrongLoadState;
  if (count > 0 && bytes == nullptr) return engine_results::kInvalidExecutable;
  if (!state->code.Add(bytes, count)) return engine_results::kCodeAreaFull;
  // Refuse a foreign executable as soon as its header shows it.
  if (!state->headerChecked && state->code.added() >= executable::kHeaderSize)
    return CheckHeader(*state);
  for (size_t i = 0; i < state->code.added() && i < executable::kMagicSize;
       ++i) {
    uint8_t byte = 0;
    state->code.ByteAt(i, &byte);
    if (byte != uint8_t(executable::kMagic[i]))
      return engine_results::kInvalidExecutable;
  }
  return KivAddCodeResult_OK;
}

KivAddCodeResult KivSeal(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr || state->sealed) return engine_results::kWrongLoadState;
  return Seal(*state);
}

KivRunResult KivSetCodePaging(KivEngine* engine, uint8_t pageCount,
                              size_t pageSize, KivCodeReader reader) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr) return engine_results::kNotLoaded;
  if (state->code.loading() ||
      !state->code.SetPaging(pageCount, pageSize, reader))
    return engine_results::kInvalidArgument;
  return KivRunResult_OK;
}

KivAddCodeResult KivPageCode(KivEngine* engine, void* id) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr || !state->code.pagingSet())
    return engine_results::kWrongLoadState;
  state->code.StartPaging(id);
  return Seal(*state);
}

KivRunResult KivSetArguments(KivEngine* engine, const char* const* args) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr) return engine_results::kNotLoaded;
  standin::DataArea& data = state->data;
  size_t count = 0;
  while (args != nullptr && args[count] != nullptr) ++count;
  uint32_t tuple = data.NewTuple(count);
  if (tuple == kNoEntry) return KivRunResult_OutOfDataMemory;
  for (size_t i = 0; i < count; ++i) {
    uint32_t text = data.NewString(args[i], std::strlen(args[i]));
    if (text == kNoEntry) {
      data.Unref(tuple);
      return KivRunResult_OutOfDataMemory;
    }
    data.SetElement(tuple, i, text);
  }
  data.Unref(state->arguments);
  state->arguments = tuple;
  return KivRunResult_OK;
}

KivRunResult KivStep(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr || !state->sealed) return engine_results::kNotLoaded;
  if (state->finished) return KivRunResult_Complete;
  return Execute(engine, *state);
}

void KivReset(KivEngine* engine) {
  if (engine != nullptr)
    std::memset(engine->storage, 0, sizeof engine->storage);
}

size_t KivProgramCounter(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  return state == nullptr ? 0 : state->programCounter;
}

size_t KivLowFreeCount(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  return state == nullptr ? 0 : state->data.lowFreeCount();
}

size_t KivMaxDataSize(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  return state == nullptr ? 0 : state->data.entryCount();
}

size_t KivCodePageReadCount(KivEngine* engine, bool reset) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr) return 0;
  size_t count = state->code.pageReads();
  if (reset) state->code.ClearPageReads();
  return count;
}

KivDataEntry* KivParameterValue(KivEngine* engine, KivDataEntry* ns,
                                int32_t symbol) {
  EngineState* state = standin::LiveState(engine);
  uint32_t space = ValueIndex(state, ns);
  if (space == kNoEntry || ns->kind != EntryKind::Namespace) return nullptr;
  standin::DataArea& data = state->data;
  uint32_t value = data.Bound(space, symbol);
  if (value != kNoEntry) return data.At(value);
  // A parameter the call did not bind reads as None, owned by the call.
  value = data.NewScalar(EntryKind::None);
  if (value == kNoEntry) return nullptr;
  bool bound = data.Bind(space, symbol, value);
  data.Unref(value);
  return bound ? data.At(value) : nullptr;
}

KivParameterResult KivGroupParameterValue(KivEngine* engine, KivDataEntry* ns,
                                          int32_t symbol, bool dictionary) {
  EngineState* state = standin::LiveState(engine);
  uint32_t space = ValueIndex(state, ns);
  if (space == kNoEntry || ns->kind != EntryKind::Namespace)
    return {KivRunResult_UnexpectedType, nullptr};
  if (dictionary) return {engine_results::kNotSupported, nullptr};
  standin::DataArea& data = state->data;
  uint32_t value = data.Bound(space, symbol);
  if (value != kNoEntry) {
    if (data.At(value)->kind != EntryKind::Tuple)
      return {KivRunResult_UnexpectedType, nullptr};
    return {KivRunResult_OK, data.At(value)};
  }
  value = data.NewTuple(0);
  if (value == kNoEntry) return {KivRunResult_OutOfDataMemory, nullptr};
  bool bound = data.Bind(space, symbol, value);
  data.Unref(value);
  if (!bound) return {KivRunResult_OutOfDataMemory, nullptr};
  return {KivRunResult_OK, data.At(value)};
}

KivDataEntry* KivToString(KivEngine* engine, KivDataEntry* value) {
  EngineState* state = standin::LiveState(engine);
  uint32_t index = ValueIndex(state, value);
  if (index == kNoEntry) return nullptr;
  standin::DataArea& data = state->data;
  if (value->kind == EntryKind::String) {
    data.Ref(index);
    return value;
  }
  std::string text = standin::ValueText(data, index, false);
  uint32_t string = data.NewString(text.data(), text.size());
  return string == kNoEntry ? nullptr : data.At(string);
}

KivRunResult KivStringValue(KivEngine* engine, KivDataEntry* string,
                            size_t* size, char* buffer, size_t index,
                            size_t bufferSize) {
  EngineState* state = standin::LiveState(engine);
  uint32_t at = ValueIndex(state, string);
  if (at == kNoEntry || string->kind != EntryKind::String)
    return KivRunResult_UnexpectedType;
  if (buffer == nullptr) {
    if (size != nullptr) *size = string->count;
    return KivRunResult_OK;
  }
  size_t copied = state->data.CopyText(at, index, buffer, bufferSize);
  if (size != nullptr) *size = copied;
  return KivRunResult_OK;
}

void KivUnref(KivEngine* engine, KivDataEntry* value) {
  EngineState* state = standin::LiveState(engine);
  uint32_t index = ValueIndex(state, value);
  if (index != kNoEntry) state->data.Unref(index);
}

KivRunResult KivCount(KivEngine* engine, KivDataEntry* value, int32_t* count) {
  EngineState* state = standin::LiveState(engine);
  if (ValueIndex(state, value) == kNoEntry || count == nullptr)
    return KivRunResult_UnexpectedType;
  if (value->kind != EntryKind::Tuple && value->kind != EntryKind::String)
    return KivRunResult_UnexpectedType;
  *count = static_cast<int32_t>(value->count);
  return KivRunResult_OK;
}

KivDataEntry* KivElement(KivEngine* engine, KivDataEntry* value,
                         int32_t index) {
  EngineState* state = standin::LiveState(engine);
  uint32_t tuple = ValueIndex(state, value);
  if (tuple == kNoEntry || value->kind != EntryKind::Tuple || index < 0 ||
      static_cast<uint32_t>(index) >= value->count)
    return nullptr;
  return state->data.At(state->data.Element(tuple, static_cast<size_t>(index)));
}

bool KivFloatValue(KivDataEntry* value, double* real) {
  if (value == nullptr || real == nullptr) return false;
  switch (value->kind) {
    case EntryKind::Integer:
      *real = static_cast<double>(value->integer);
      return true;
    case EntryKind::Float:
      *real = value->real;
      return true;
    case EntryKind::Boolean:
      *real = value->boolean ? 1.0 : 0.0;
      return true;
    default:
      return false;
  }
}

void* KivContext(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  return state == nullptr ? nullptr : state->context;
}

bool KivAgain(KivEngine* engine) {
  EngineState* state = standin::LiveState(engine);
  return state != nullptr && state->again;
}

}  // extern "C"
