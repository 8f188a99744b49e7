// The descriptive texts of run results and add-code results, for the codes
// every engine shares and those of the stand-in engine.
#pragma once

#include <cstdint>

namespace standin {

const char* RunResultText(int32_t result);
const char* AddCodeResultText(int32_t result);

}  // namespace standin
