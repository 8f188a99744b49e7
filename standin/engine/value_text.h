// The text forms of the stand-in engine's values: what str() shows (strings as
// they are) and what repr() shows (strings quoted and escaped). Floats use the
// shortest digits that read back to the same double.
#pragma once

#include <cstdint>
#include <string>

#include "standin/engine/data_area.h"

namespace standin {

std::string ValueText(const DataArea& data, uint32_t value, bool quoted);
std::string FloatText(double value);

}  // namespace standin
