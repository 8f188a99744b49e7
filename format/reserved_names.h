// The names whose symbol numbers lie below the spec file's first name. The
// generator numbers them without writing them, so the script compiler that
// reads the file must know them from this same table.
#pragma once

#include <cstdint>

#include "format/spec_file_format.h"

namespace kivformat {
namespace reserved_names {

struct Row {
  int32_t symbol;
  const char* name;
  uint8_t features;  // present when one of these feature bits is set; 0: always
};

// Numbers 5, 6 and 9 to 63 are deliberately left unused.
constexpr Row kRows[] = {
    {0, "sys", 0},
    {1, "args", 0},
    {2, "__main__", 0},
    {3, "__init__", spec_file::kClassFeature},
    {4, "__get__", spec_file::kClassFeature},
    {7, "__func__", spec_file::kClassFeature},
    {8, "__call__", spec_file::kClassFeature},
};

inline bool IsPresent(const Row& row, uint8_t features) {
  return row.features == 0 || (row.features & features) != 0;
}

}  // namespace reserved_names
}  // namespace kivformat
