// Terminal interrupt (SIGINT) handling for kivs: the handler only raises a
// signal-safe flag, which the step loop reads before each step, and the wait
// for a sleeping script returns early once the flag is up.
#pragma once

#include <csignal>
#include <cstdint>

namespace kivs {

// Set by the handler only.
extern volatile std::sig_atomic_t interrupted;

// Installs the handler, unless the process inherited an ignored SIGINT (a
// background job): then the signal stays ignored, so a Ctrl-C meant for the
// foreground does not end this run.
void InstallInterruptHandler();

// Sleeps until ProcessMilliseconds() reaches wakeTime or an interrupt
// arrives, without using the processor meanwhile.
void WaitUntil(int64_t wakeTime);

}  // namespace kivs
