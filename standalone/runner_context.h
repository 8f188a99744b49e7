// The app context that kivs hands to the engine. A sleeping script records
// here when it wants to run again; the step loop waits between two steps and
// clears the request, so sleep never blocks inside the engine.
#pragma once

#include <cstdint>

namespace kivs {

struct RunnerContext {
  bool waiting = false;
  // Milliseconds on the process clock (see process_clock.h). 64 bits wide so
  // that neither a long delay nor a long run can wrap it.
  int64_t wakeTime = 0;
};

}  // namespace kivs
