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

// The rows by name. sys, args and __main__ are always there and no spec may
// define them; the class feature's four can be defined freely, and __init__
// names the initializer that finalization generates when a spec has none.
constexpr Row kSys = {0, "sys", 0};
constexpr Row kArgs = {1, "args", 0};
constexpr Row kMain = {2, "__main__", 0};
constexpr Row kInit = {3, "__init__", spec_file::kClassFeature};
constexpr Row kGet = {4, "__get__", spec_file::kClassFeature};
constexpr Row kFunc = {7, "__func__", spec_file::kClassFeature};
constexpr Row kCall = {8, "__call__", spec_file::kClassFeature};

// The table, in the order its rows are entered. Numbers 5, 6 and 9 to 63 are
// deliberately left unused.
constexpr Row kRows[] = {kSys, kArgs, kMain, kInit, kGet, kFunc, kCall};

// The names a spec can never redefine, in the order they are compared.
constexpr Row kNeverRedefined[] = {kSys, kArgs, kMain};

inline bool IsPresent(const Row& row, uint8_t features) {
  return row.features == 0 || (row.features & features) != 0;
}

}  // namespace reserved_names
}  // namespace kivformat
