// Writes the generated C source CODE.c: the dispatch function that routes the
// engine's app-function calls to the application's C functions, and the
// KivAppSpec record holding the encoded spec and the check value.
#pragma once

#include <ostream>
#include <string>

#include "generator/model/generator.h"

namespace kivg {

// headerFileName is the file part of the header written beside this source,
// named by the source's #include. Requires NumberNames to have numbered the
// names; throws a message text on an internal error.
void WriteSource(const Generator& generator, std::ostream& out,
                 const std::string& headerFileName);

}  // namespace kivg
