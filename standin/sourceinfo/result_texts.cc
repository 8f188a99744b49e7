#include "standin/sourceinfo/result_texts.h"

#include "include/kiv.h"
#include "standin/engine/engine_results.h"

namespace standin {

namespace {

struct ResultText {
  int32_t code;
  const char* text;
};

constexpr ResultText kRunResults[] = {
    {KivRunResult_OK, "OK"},
    {KivRunResult_Complete, "Run complete"},
    {engine_results::kNotLoaded, "No code loaded"},
    {engine_results::kInvalidInstruction, "Invalid instruction"},
    {engine_results::kCodeReadError, "Error reading code page"},
    {engine_results::kInvalidAppSpec, "Invalid application spec"},
    {engine_results::kInvalidArgument, "Invalid engine argument"},
    {KivRunResult_UnexpectedType, "Unexpected type"},
    {engine_results::kTooManyArguments, "Too many arguments"},
    {engine_results::kMissingArgument, "Missing argument"},
    {engine_results::kUnexpectedKeyword, "Unexpected keyword argument"},
    {engine_results::kDuplicateArgument, "Argument given more than once"},
    {engine_results::kValueError, "Value out of range"},
    {engine_results::kScriptExit, "Script exited with an error code"},
    {engine_results::kUndefinedName, "Undefined name"},
    {KivRunResult_UndefinedAppFunction, "Undefined app function"},
    {engine_results::kStackError, "Evaluation stack error"},
    {KivRunResult_OutOfDataMemory, "Out of data memory"},
    {engine_results::kNotSupported, "Not supported by the stand-in engine"},
    {KivRunResult_Again, "Call again"},
};

constexpr ResultText kAddCodeResults[] = {
    {KivAddCodeResult_OK, "OK"},
    {engine_results::kInvalidExecutable, "Not a Kiv executable"},
    {engine_results::kCodeAreaFull, "Code area full"},
    {KivAddCodeResult_InvalidCheckValue, "Invalid check value"},
    {engine_results::kUnsupportedCodeVersion, "Unsupported code version"},
    {engine_results::kWrongLoadState, "Engine not ready for code"},
    {engine_results::kPageReadError, "Error reading code page"},
};

template <size_t N>
const char* Lookup(const ResultText (&table)[N], int32_t code,
                   const char* unknown) {
  for (const ResultText& row : table)
    if (row.code == code) return row.text;
  return unknown;
}

}  // namespace

const char* RunResultText(int32_t result) {
  return Lookup(kRunResults, result, "Unknown run result");
}

const char* AddCodeResultText(int32_t result) {
  return Lookup(kAddCodeResults, result, "Unknown add code result");
}

}  // namespace standin
