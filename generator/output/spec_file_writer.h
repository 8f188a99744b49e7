// Writes the binary application spec file (*.kivec) that the script compiler
// reads, and in doing so gives every user name its symbol number: the C
// writers that run afterwards only look the numbers up.
#pragma once

#include <ostream>

#include "generator/model/generator.h"

// Requires a finalized model with its check value; numbers the names it
// writes, then the qualified names of class members, and sets lastNameSymbol
// and symbolsAssigned. Throws a message text on an internal error or when the
// symbol range is used up.
void WriteSpecFile(Generator& generator, std::ostream& out);
