#include "standalone/process_clock.h"

#include <chrono>

namespace kivs {

namespace {

// Taken during static initialization, before main runs.
const std::chrono::steady_clock::time_point processStart =
    std::chrono::steady_clock::now();

}  // namespace

int64_t ProcessMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now() - processStart)
      .count();
}

}  // namespace kivs
