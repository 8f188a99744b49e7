// The runner's clock: elapsed milliseconds since the process started, read
// from a monotonic source. CPU-time clocks do not advance while the process
// sleeps, so wake times are measured on this one instead.
#pragma once

#include <cstdint>

namespace kivs {

int64_t ProcessMilliseconds();

}  // namespace kivs
