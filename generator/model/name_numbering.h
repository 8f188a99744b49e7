// Gives the user names their symbol numbers once the model is final: import
// aliases, definition names in byte order, parameter names function by
// function, then the qualified names of class members, which only the encoded
// spec uses. The run numbers the names before any writer runs; the writers
// then only read the numbers recorded in the walk.
#pragma once

#include <cstddef>

#include "generator/model/generator.h"

namespace kivg {

// The names the spec file lists, as a range of the name table's entries in
// the order they were made, which is their number order.
struct ListedNames {
  size_t first = 0;     // entry of the first listed name
  size_t aliasEnd = 0;  // the listed entries before this one are aliases
  size_t end = 0;       // one past the last listed name
};

// Records every definition's and parameter's numbers in the walk and sets
// lastNameSymbol and symbolsAssigned. Throws a message text when the model is
// not finalized, has no check value, or the symbol range is used up.
ListedNames NumberNames(Generator& generator);

}  // namespace kivg
