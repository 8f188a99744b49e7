// The run of kivs from command line to exit status: open the executable,
// give the engine its areas, load the code, pass the script its arguments,
// step the engine until the script ends and report a run that did not.
#pragma once

namespace kivs {

// Returns the exit status: 0 the script completed, 1 a command-line or open
// error, 2 an allocation, load, argument or run failure.
int RunStandalone(int argc, char** argv);

}  // namespace kivs
