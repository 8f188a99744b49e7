// The app functions that kivs implements itself and offers to scripts in both
// built-in specs: print, which writes values to standard output, and sleep,
// which delays the script without blocking inside the engine. Their names
// are the C functions the specs bind, so they stay outside namespace kivs.
#pragma once

#include <kiv.h>

#include <cstdint>

extern "C" {

// print(*values, sep=" ", end="\n"). values is the tuple of the group
// parameter; sep and end are written in their string form.
KivRunResult AppPrint(KivEngine* engine, KivDataEntry* values,
                      KivDataEntry* sep, KivDataEntry* end,
                      KivDataEntry** returnValue);

// sleep(seconds). The first call records the wake time in the RunnerContext
// and asks to be called again; repeats succeed once the time has come.
KivRunResult AppSleep(KivEngine* engine, KivDataEntry* seconds,
                      KivDataEntry** returnValue);
}

namespace kivs {

// Writes the string form of value to standard output, every byte of it.
KivRunResult WriteValueText(KivEngine* engine, KivDataEntry* value);

// The delay of sleep in whole milliseconds: rounded half away from zero, a
// NaN counts as 0, and counts outside the signed 32-bit range are clamped.
int32_t SleepMilliseconds(double seconds);

}  // namespace kivs
