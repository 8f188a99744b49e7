#include "standin/engine/library_functions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "standin/engine/engine_results.h"
#include "standin/engine/engine_state.h"
#include "standin/engine/value_text.h"

using standin::EngineState;
using standin::EntryKind;
using standin::kNoEntry;

namespace {

KivRunResult Store(EngineState* state, KivDataEntry** returnValue,
                   uint32_t value) {
  if (value == kNoEntry) return KivRunResult_OutOfDataMemory;
  *returnValue = state->data.At(value);
  return KivRunResult_OK;
}

// Returns the argument itself, with the reference the caller takes over.
KivRunResult StoreSame(EngineState* state, KivDataEntry** returnValue,
                       KivDataEntry* value) {
  uint32_t index = state->data.IndexOf(value);
  if (index == kNoEntry) return KivRunResult_UnexpectedType;
  state->data.Ref(index);
  *returnValue = value;
  return KivRunResult_OK;
}

bool Integral(const KivDataEntry* value) {
  return value->kind == EntryKind::Integer || value->kind == EntryKind::Boolean;
}

int64_t IntegerOf(const KivDataEntry* value) {
  return value->kind == EntryKind::Boolean ? (value->boolean ? 1 : 0)
                                           : value->integer;
}

// A real result is out of the function's domain when it is not a number, or
// infinite, for a finite input.
bool InDomain(double input, double result) {
  if (std::isnan(result) && !std::isnan(input)) return false;
  if (std::isinf(result) && std::isfinite(input)) return false;
  return true;
}

bool ToInteger(double value, int64_t* out) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
    return false;
  *out = static_cast<int64_t>(value);
  return true;
}

KivRunResult Real(KivEngine* engine, KivDataEntry* x,
                  KivDataEntry** returnValue, double (*function)(double)) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr) return engine_results::kNotLoaded;
  double input;
  if (!KivFloatValue(x, &input)) return KivRunResult_UnexpectedType;
  double result = function(input);
  if (!InDomain(input, result)) return engine_results::kValueError;
  return Store(state, returnValue, state->data.NewFloat(result));
}

KivRunResult Real2(KivEngine* engine, KivDataEntry* a, KivDataEntry* b,
                   KivDataEntry** returnValue,
                   double (*function)(double, double)) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr) return engine_results::kNotLoaded;
  double first, second;
  if (!KivFloatValue(a, &first) || !KivFloatValue(b, &second))
    return KivRunResult_UnexpectedType;
  double result = function(first, second);
  if (!InDomain(first + second, result)) return engine_results::kValueError;
  return Store(state, returnValue, state->data.NewFloat(result));
}

// ceil, floor and round give integers; integers pass unchanged.
KivRunResult Rounded(KivEngine* engine, KivDataEntry* x,
                     KivDataEntry** returnValue, double (*function)(double)) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr) return engine_results::kNotLoaded;
  if (x == nullptr) return KivRunResult_UnexpectedType;
  if (Integral(x))
    return Store(state, returnValue, state->data.NewInteger(IntegerOf(x)));
  if (x->kind != EntryKind::Float) return KivRunResult_UnexpectedType;
  int64_t result;
  if (!ToInteger(function(x->real), &result))
    return engine_results::kValueError;
  return Store(state, returnValue, state->data.NewInteger(result));
}

std::string Text(EngineState* state, uint32_t string) {
  std::string text(state->data.At(string)->count, '\0');
  state->data.CopyText(string, 0, &text[0], text.size());
  return text;
}

std::string Trimmed(const std::string& text) {
  const char* space = " \t\n\r\f\v";
  size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

bool ParseInteger(const std::string& text, int base, int64_t* out) {
  std::string digits = Trimmed(text);
  if (digits.empty() || digits.find('\0') != std::string::npos) return false;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(digits.c_str(), &end, base);
  if (errno != 0 || *end != '\0') return false;
  *out = value;
  return true;
}

bool Truth(const KivDataEntry* value) {
  switch (value->kind) {
    case EntryKind::None:
      return false;
    case EntryKind::Boolean:
      return value->boolean;
    case EntryKind::Integer:
      return value->integer != 0;
    case EntryKind::Float:
      return value->real != 0;
    case EntryKind::String:
    case EntryKind::Tuple:
      return value->count != 0;
    default:
      return true;
  }
}

KivRunResult Unsupported(KivEngine* engine) {
  return standin::LiveState(engine) == nullptr ? engine_results::kNotLoaded
                                               : engine_results::kNotSupported;
}

EngineState* ValueState(KivEngine* engine, KivDataEntry* value) {
  EngineState* state = standin::LiveState(engine);
  if (state == nullptr || state->data.IndexOf(value) == kNoEntry)
    return nullptr;
  return state;
}

}  // namespace

extern "C" {

KivRunResult KivLib_abs(KivEngine* engine, KivDataEntry* x,
                        KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  if (Integral(x)) {
    int64_t value = IntegerOf(x);
    if (value == INT64_MIN) return engine_results::kValueError;
    return Store(state, returnValue,
                 state->data.NewInteger(value < 0 ? -value : value));
  }
  return Real(engine, x, returnValue, [](double v) { return std::fabs(v); });
}

#define KIV_STANDIN_REAL(name)                                   \
  KivRunResult KivLib_##name(KivEngine* engine, KivDataEntry* x, \
                             KivDataEntry** returnValue) {       \
    return Real(engine, x, returnValue,                          \
                [](double v) { return std::name(v); });          \
  }
KIV_STANDIN_REAL(acos)
KIV_STANDIN_REAL(acosh)
KIV_STANDIN_REAL(asin)
KIV_STANDIN_REAL(asinh)
KIV_STANDIN_REAL(atan)
KIV_STANDIN_REAL(atanh)
KIV_STANDIN_REAL(cos)
KIV_STANDIN_REAL(cosh)
KIV_STANDIN_REAL(exp)
KIV_STANDIN_REAL(log10)
KIV_STANDIN_REAL(sin)
KIV_STANDIN_REAL(sinh)
KIV_STANDIN_REAL(tan)
KIV_STANDIN_REAL(tanh)
#undef KIV_STANDIN_REAL

KivRunResult KivLib_atan2(KivEngine* engine, KivDataEntry* y, KivDataEntry* x,
                          KivDataEntry** returnValue) {
  return Real2(engine, y, x, returnValue,
               [](double a, double b) { return std::atan2(a, b); });
}

KivRunResult KivLib_hypot(KivEngine* engine, KivDataEntry* x, KivDataEntry* y,
                          KivDataEntry** returnValue) {
  return Real2(engine, x, y, returnValue,
               [](double a, double b) { return std::hypot(a, b); });
}

KivRunResult KivLib_log(KivEngine* engine, KivDataEntry* x, KivDataEntry* base,
                        KivDataEntry** returnValue) {
  if (base == nullptr || base->kind == EntryKind::None)
    return Real(engine, x, returnValue, [](double v) { return std::log(v); });
  return Real2(engine, x, base, returnValue,
               [](double v, double b) { return std::log(v) / std::log(b); });
}

KivRunResult KivLib_ceil(KivEngine* engine, KivDataEntry* x,
                         KivDataEntry** returnValue) {
  return Rounded(engine, x, returnValue, [](double v) { return std::ceil(v); });
}

KivRunResult KivLib_floor(KivEngine* engine, KivDataEntry* x,
                          KivDataEntry** returnValue) {
  return Rounded(engine, x, returnValue,
                 [](double v) { return std::floor(v); });
}

// Halves go to the even neighbour, as the default rounding mode does.
KivRunResult KivLib_round(KivEngine* engine, KivDataEntry* x,
                          KivDataEntry** returnValue) {
  return Rounded(engine, x, returnValue,
                 [](double v) { return std::nearbyint(v); });
}

KivRunResult KivLib_bool(KivEngine* engine, KivDataEntry* x,
                         KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  return Store(state, returnValue, state->data.NewBoolean(Truth(x)));
}

// The strict flag has no meaning for the stand-in's values and is ignored.
KivRunResult KivLib_int(KivEngine* engine, KivDataEntry* x, KivDataEntry* base,
                        KivDataEntry* /*strict*/, KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  int64_t result = 0;
  if (base != nullptr && base->kind != EntryKind::None) {
    if (x->kind != EntryKind::String || !Integral(base))
      return KivRunResult_UnexpectedType;
    int64_t radix = IntegerOf(base);
    if ((radix != 0 && radix < 2) || radix > 36)
      return engine_results::kValueError;
    if (!ParseInteger(Text(state, state->data.IndexOf(x)),
                      static_cast<int>(radix), &result))
      return engine_results::kValueError;
  } else if (Integral(x)) {
    result = IntegerOf(x);
  } else if (x->kind == EntryKind::Float) {
    if (!ToInteger(std::trunc(x->real), &result))
      return engine_results::kValueError;
  } else if (x->kind == EntryKind::String) {
    if (!ParseInteger(Text(state, state->data.IndexOf(x)), 10, &result))
      return engine_results::kValueError;
  } else {
    return KivRunResult_UnexpectedType;
  }
  return Store(state, returnValue, state->data.NewInteger(result));
}

KivRunResult KivLib_float(KivEngine* engine, KivDataEntry* x,
                          KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  double result;
  if (x->kind == EntryKind::String) {
    std::string text = Trimmed(Text(state, state->data.IndexOf(x)));
    char* end = nullptr;
    if (text.empty() || text.find('\0') != std::string::npos)
      return engine_results::kValueError;
    result = std::strtod(text.c_str(), &end);
    if (*end != '\0') return engine_results::kValueError;
  } else if (!KivFloatValue(x, &result)) {
    return KivRunResult_UnexpectedType;
  }
  return Store(state, returnValue, state->data.NewFloat(result));
}

KivRunResult KivLib_str(KivEngine* engine, KivDataEntry* x,
                        KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  if (x->kind == EntryKind::String) return StoreSame(state, returnValue, x);
  std::string text =
      standin::ValueText(state->data, state->data.IndexOf(x), false);
  return Store(state, returnValue,
               state->data.NewString(text.data(), text.size()));
}

KivRunResult KivLib_repr(KivEngine* engine, KivDataEntry* x,
                         KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  std::string text =
      standin::ValueText(state->data, state->data.IndexOf(x), true);
  return Store(state, returnValue,
               state->data.NewString(text.data(), text.size()));
}

KivRunResult KivLib_len(KivEngine* engine, KivDataEntry* x,
                        KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, x);
  if (state == nullptr ||
      (x->kind != EntryKind::String && x->kind != EntryKind::Tuple))
    return KivRunResult_UnexpectedType;
  return Store(state, returnValue, state->data.NewInteger(x->count));
}

KivRunResult KivLib_tuple(KivEngine* engine, KivDataEntry* values,
                          KivDataEntry** returnValue) {
  EngineState* state = ValueState(engine, values);
  if (state == nullptr || values->kind != EntryKind::Tuple)
    return KivRunResult_UnexpectedType;
  return StoreSame(state, returnValue, values);
}

// The stand-in has no list type: a list is its elements' tuple.
KivRunResult KivLib_list(KivEngine* engine, KivDataEntry* values,
                         KivDataEntry** returnValue) {
  return KivLib_tuple(engine, values, returnValue);
}

// exit() with no code, False or 0 ends the run as completed; any other code
// ends it with a failure.
KivRunResult KivLib_exit(KivEngine* engine, KivDataEntry* code,
                         KivDataEntry**) {
  EngineState* state = ValueState(engine, code);
  if (state == nullptr) return KivRunResult_UnexpectedType;
  bool success =
      code->kind == EntryKind::None || (Integral(code) && IntegerOf(code) == 0);
  return success ? KivRunResult_Complete : engine_results::kScriptExit;
}

#define KIV_STANDIN_UNSUPPORTED1(name)                         \
  KivRunResult KivLib_##name(KivEngine* engine, KivDataEntry*, \
                             KivDataEntry**) {                 \
    return Unsupported(engine);                                \
  }
#define KIV_STANDIN_UNSUPPORTED2(name)                                        \
  KivRunResult KivLib_##name(KivEngine* engine, KivDataEntry*, KivDataEntry*, \
                             KivDataEntry**) {                                \
    return Unsupported(engine);                                               \
  }
#define KIV_STANDIN_UNSUPPORTED3(name)                                        \
  KivRunResult KivLib_##name(KivEngine* engine, KivDataEntry*, KivDataEntry*, \
                             KivDataEntry*, KivDataEntry**) {                 \
    return Unsupported(engine);                                               \
  }
KIV_STANDIN_UNSUPPORTED1(class_init)
KIV_STANDIN_UNSUPPORTED1(del_at)
KIV_STANDIN_UNSUPPORTED1(exists)
KIV_STANDIN_UNSUPPORTED1(id)
KIV_STANDIN_UNSUPPORTED1(iter)
KIV_STANDIN_UNSUPPORTED1(iterable)
KIV_STANDIN_UNSUPPORTED1(range_values)
KIV_STANDIN_UNSUPPORTED1(reversed)
KIV_STANDIN_UNSUPPORTED1(type)
KIV_STANDIN_UNSUPPORTED2(at)
KIV_STANDIN_UNSUPPORTED2(classmethod_init)
KIV_STANDIN_UNSUPPORTED2(isinstance)
KIV_STANDIN_UNSUPPORTED2(issubclass)
KIV_STANDIN_UNSUPPORTED2(key)
KIV_STANDIN_UNSUPPORTED2(next)
KIV_STANDIN_UNSUPPORTED2(staticmethod_init)
KIV_STANDIN_UNSUPPORTED2(super)
KIV_STANDIN_UNSUPPORTED3(classmethod_get)
KIV_STANDIN_UNSUPPORTED3(staticmethod_get)
#undef KIV_STANDIN_UNSUPPORTED1
#undef KIV_STANDIN_UNSUPPORTED2
#undef KIV_STANDIN_UNSUPPORTED3

KivRunResult KivLib_module(KivEngine* engine, KivDataEntry**) {
  return Unsupported(engine);
}

}  // extern "C"
