// The stand-in engine's library functions, called as the built-in specs'
// dispatch functions call them: with values from a script.
#include "standin/engine/library_functions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "include/kiv.h"
#include "standin/compiler/executable_writer.h"
#include "standin/engine/engine_results.h"
#include "standin/engine/value_text.h"
#include "tests/standin/encoded_spec_builder.h"

namespace {

constexpr uint32_t kCheck = 7;
// One app function lib(x, y=None, z=None) that calls the function under test.
constexpr int32_t kLib = 64, kX = 65, kY = 66, kZ = 67;

using Library = std::function<KivRunResult(
    KivEngine*, KivDataEntry*, KivDataEntry*, KivDataEntry*, KivDataEntry**)>;
Library* library = nullptr;
std::string* returned = nullptr;

std::string Text(KivEngine* engine, KivDataEntry* value) {
  KivDataEntry* text = KivToString(engine, value);
  size_t size = 0;
  KivStringValue(engine, text, &size, nullptr, 0, 0);
  std::string result(size, '\0');
  // In small pieces, as the runner's print does.
  for (size_t at = 0; at < size; at += 3)
    KivStringValue(engine, text, nullptr, &result[at], at,
                   size - at < 3 ? size - at : 3);
  KivUnref(engine, text);
  return result;
}

KivRunResult Dispatch(KivEngine* engine, int32_t, int32_t, KivDataEntry* ns,
                      KivDataEntry** returnValue) {
  KivRunResult result =
      (*library)(engine, KivParameterValue(engine, ns, kX),
                 KivParameterValue(engine, ns, kY),
                 KivParameterValue(engine, ns, kZ), returnValue);
  if (result == KivRunResult_OK) *returned = Text(engine, *returnValue);
  return result;
}

struct Value {
  enum { Integer, Float, String, Boolean, None } kind;
  int64_t integer = 0;
  double real = 0;
  std::string text;
};
Value I(int64_t v) { return {Value::Integer, v, 0, ""}; }
Value F(double v) { return {Value::Float, 0, v, ""}; }
Value S(std::string v) { return {Value::String, 0, 0, v}; }
Value B(bool v) { return {Value::Boolean, v, 0, ""}; }
Value N() { return {Value::None, 0, 0, ""}; }

struct Case {
  const char* name;
  Library function;
  std::vector<Value> arguments;
  KivRunResult expected;
  std::string text;  // the returned value's text
};

#define ONE(f)                                                    \
  [](KivEngine* e, KivDataEntry* x, KivDataEntry*, KivDataEntry*, \
     KivDataEntry** r) { return KivLib_##f(e, x, r); }
#define TWO(f)                                                      \
  [](KivEngine* e, KivDataEntry* x, KivDataEntry* y, KivDataEntry*, \
     KivDataEntry** r) { return KivLib_##f(e, x, y, r); }
#define THREE(f)                                                      \
  [](KivEngine* e, KivDataEntry* x, KivDataEntry* y, KivDataEntry* z, \
     KivDataEntry** r) { return KivLib_##f(e, x, y, z, r); }

class LibraryFunctions : public ::testing::Test {
 protected:
  KivRunResult Run(const Case& c, std::string* text) {
    EncodedSpecBuilder spec;
    spec.Function(3).Parameter(kX).Defaulted(kY).None().Defaulted(kZ).None();
    specBytes_ = spec.bytes();
    KivAppSpec appSpec = {specBytes_.data(), uint32_t(specBytes_.size()),
                          kCheck, Dispatch};
    std::vector<uint64_t> data(256 * KivDataEntrySize() / 8);
    KivEngine engine;
    EXPECT_EQ(KivInitialize(&engine, nullptr, 0, data.data(), data.size() * 8,
                            &appSpec, nullptr),
              KivRunResult_OK);
    standin::ExecutableWriter code(kCheck);
    for (const Value& v : c.arguments) {
      switch (v.kind) {
        case Value::Integer:
          code.PushInteger(v.integer);
          break;
        case Value::Float:
          code.PushFloat(v.real);
          break;
        case Value::String:
          code.PushString(v.text);
          break;
        case Value::Boolean:
          code.PushBoolean(v.integer != 0);
          break;
        case Value::None:
          code.PushNone();
          break;
      }
    }
    code.Call(0, kLib, uint8_t(c.arguments.size()), {});
    code.Discard();
    code.End();
    std::string bytes = code.bytes();
    EXPECT_EQ(
        KivSealCode(&engine, reinterpret_cast<const uint8_t*>(bytes.data()),
                    bytes.size()),
        KivAddCodeResult_OK);
    Library function = c.function;
    library = &function;
    returned = text;
    KivRunResult result = KivRunResult_OK;
    while (result == KivRunResult_OK) result = KivStep(&engine);
    library = nullptr;
    returned = nullptr;
    return result;
  }

  std::string specBytes_;
};

TEST_F(LibraryFunctions, ComputeOnTheEngineValues) {
  const KivRunResult done = KivRunResult_Complete;
  const KivRunResult type = KivRunResult_UnexpectedType;
  const KivRunResult domain = engine_results::kValueError;
  const KivRunResult unsupported = engine_results::kNotSupported;
  const Case cases[] = {
      {"abs int", ONE(abs), {I(-3)}, done, "3"},
      {"abs float", ONE(abs), {F(-2.5)}, done, "2.5"},
      {"abs bool", ONE(abs), {B(true)}, done, "1"},
      {"abs string", ONE(abs), {S("x")}, type, ""},
      {"abs min", ONE(abs), {I(INT64_MIN)}, domain, ""},
      {"cos", ONE(cos), {I(0)}, done, "1.0"},
      {"sin", ONE(sin), {F(0)}, done, "0.0"},
      {"tan", ONE(tan), {I(0)}, done, "0.0"},
      {"acos domain", ONE(acos), {I(2)}, domain, ""},
      {"asin", ONE(asin), {I(1)}, done, "1.5707963267948966"},
      {"atan", ONE(atan), {I(0)}, done, "0.0"},
      {"acosh", ONE(acosh), {I(1)}, done, "0.0"},
      {"asinh", ONE(asinh), {I(0)}, done, "0.0"},
      {"atanh pole", ONE(atanh), {I(1)}, domain, ""},
      {"cosh", ONE(cosh), {I(0)}, done, "1.0"},
      {"sinh", ONE(sinh), {I(0)}, done, "0.0"},
      {"tanh", ONE(tanh), {I(0)}, done, "0.0"},
      {"exp", ONE(exp), {I(0)}, done, "1.0"},
      {"exp overflow", ONE(exp), {I(1000)}, domain, ""},
      {"log", TWO(log), {I(1)}, done, "0.0"},
      {"log base", TWO(log), {I(8), I(2)}, done, "3.0"},
      {"log zero", TWO(log), {I(0)}, domain, ""},
      {"log10", ONE(log10), {I(1000)}, done, "3.0"},
      {"atan2", TWO(atan2), {I(0), I(1)}, done, "0.0"},
      {"hypot", TWO(hypot), {I(3), I(4)}, done, "5.0"},
      {"ceil", ONE(ceil), {F(1.2)}, done, "2"},
      {"floor", ONE(floor), {F(-1.2)}, done, "-2"},
      {"round half even", ONE(round), {F(2.5)}, done, "2"},
      {"round", ONE(round), {F(2.7)}, done, "3"},
      {"round int", ONE(round), {I(7)}, done, "7"},
      {"round huge", ONE(round), {F(1e300)}, domain, ""},
      {"bool", ONE(bool), {S("")}, done, "False"},
      {"bool int", ONE(bool), {I(3)}, done, "True"},
      {"int float", THREE(int), {F(-3.9)}, done, "-3"},
      {"int text", THREE(int), {S(" 42 ")}, done, "42"},
      {"int base", THREE(int), {S("ff"), I(16)}, done, "255"},
      {"int bad text", THREE(int), {S("4x")}, domain, ""},
      {"int bad base", THREE(int), {S("1"), I(1)}, domain, ""},
      {"int none", THREE(int), {N()}, type, ""},
      {"float", ONE(float), {I(2)}, done, "2.0"},
      {"float text", ONE(float), {S("1e3")}, done, "1000.0"},
      {"float bad", ONE(float), {S("x")}, domain, ""},
      {"str", ONE(str), {F(0.1)}, done, "0.1"},
      {"str none", ONE(str), {N()}, done, "None"},
      {"repr", ONE(repr), {S("it's\n")}, done, "\"it's\\n\""},
      {"len", ONE(len), {S("four")}, done, "4"},
      {"len int", ONE(len), {I(4)}, type, ""},
      {"exit", ONE(exit), {N()}, done, ""},
      {"exit zero", ONE(exit), {I(0)}, done, ""},
      {"exit code", ONE(exit), {I(3)}, engine_results::kScriptExit, ""},
      {"id", ONE(id), {I(1)}, unsupported, ""},
      {"type", ONE(type), {I(1)}, unsupported, ""},
      {"at", TWO(at), {I(1)}, unsupported, ""},
      {"super", TWO(super), {I(1)}, unsupported, ""},
      {"classmethod_get", THREE(classmethod_get), {I(1)}, unsupported, ""},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(Run(c, &text), c.expected) << c.name;
    EXPECT_EQ(text, c.text) << c.name;
  }
}

TEST(ValueText, FloatsUseTheShortestExactDigits) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "0.0"},           {-0.0, "-0.0"},
      {1.0, "1.0"},           {0.1, "0.1"},
      {-2.5, "-2.5"},         {123456.0, "123456.0"},
      {1e16, "1e+16"},        {1e15, "1000000000000000.0"},
      {0.0001, "0.0001"},     {0.00001, "1e-05"},
      {1.5e-300, "1.5e-300"}, {1.0 / 3, "0.3333333333333333"},
  };
  for (auto [value, text] : cases) EXPECT_EQ(standin::FloatText(value), text);
}

}  // namespace
