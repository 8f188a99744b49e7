// The check value: the CRC-32 over the byte sequence laid down in
// format/check_value_format.h, fed from the recorded walk. Finalize computes
// it last; the spec file and the generated C source carry it, so a script
// compiled against one spec is refused by code built from another.
#pragma once

#include <cstdint>

#include "generator/model/definition_walk.h"

namespace kivg {

uint32_t CheckValueOf(const DefinitionWalk& walk, uint8_t features);

}  // namespace kivg
