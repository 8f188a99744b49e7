// Writes the binary application spec file (*.kivec) that the script compiler
// reads: the header and the names NumberNames numbered, in number order.
#pragma once

#include <ostream>

#include "generator/model/generator.h"
#include "generator/model/name_numbering.h"

namespace kivg {

// Requires a finalized model with its check value, numbered by NumberNames,
// which returned the names; throws a message text otherwise.
void WriteSpecFile(const Generator& generator, const ListedNames& names,
                   std::ostream& out);

}  // namespace kivg
