// Scripts for the process-level tests of kivs and kivinfo, compiled with the
// stand-in compiler against the specs built into kivs, as a user prepares a
// script before running it.
#pragma once

#include <string>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

// The spec files the build writes beside the generated C of the built-in
// specs, and one more spec that neither of them matches.
std::string StandardSpecFile();
std::string ClassSupportSpecFile();

// Writes source to dir/<name>.kiv and compiles it into dir/<name>.kive and
// dir/<name>.kivd. Fails the current test if the compiler does.
void CompileScript(const TempDir& dir, const std::string& name,
                   const std::string& source,
                   const std::string& specFile = StandardSpecFile());
