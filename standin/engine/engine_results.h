// The result codes that the stand-in engine returns beyond the few every
// engine shares (kiv.h). The stand-in source-info library gives each a text.
#pragma once

#include <cstdint>

namespace engine_results {

// Run results.
constexpr int32_t kNotLoaded = 2;           // no sealed code, or no engine
constexpr int32_t kInvalidInstruction = 3;  // unknown opcode or cut-off code
constexpr int32_t kCodeReadError = 4;       // the code page reader failed
constexpr int32_t kInvalidAppSpec = 5;      // the encoded spec is malformed
constexpr int32_t kInvalidArgument = 6;     // bad area, page or spec argument
constexpr int32_t kTooManyArguments = 13;
constexpr int32_t kMissingArgument = 14;
constexpr int32_t kUnexpectedKeyword = 15;
constexpr int32_t kDuplicateArgument = 16;
constexpr int32_t kValueError = 17;     // a value outside a function's domain
constexpr int32_t kScriptExit = 18;     // exit() with a failure code
constexpr int32_t kUndefinedName = 20;  // no such constant in the module
constexpr int32_t kStackError = 22;     // discard from an empty stack
constexpr int32_t kNotSupported = 40;   // beyond what the stand-in does

// Add-code results.
constexpr int32_t kInvalidExecutable = 1;  // bad magic or cut-off header
constexpr int32_t kCodeAreaFull = 2;
constexpr int32_t kUnsupportedCodeVersion = 4;
constexpr int32_t kWrongLoadState = 5;  // not initialized, already sealed,
                                        // or paging not set up
constexpr int32_t kPageReadError = 6;

}  // namespace engine_results
