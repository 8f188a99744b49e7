// Writes the generated C header CODE.h that the application includes: the
// declaration of the app spec record, a symbol macro per script-visible name
// and the prototype of every application function the dispatch calls.
#pragma once

#include <ostream>

#include "generator/model/generator.h"

namespace kivg {

// Reads the numbers NumberNames gave out; throws
// "Internal error: Symbol not assigned" when it has not run.
void WriteHeader(const Generator& generator, std::ostream& out);

}  // namespace kivg
