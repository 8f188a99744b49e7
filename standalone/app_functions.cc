#include "standalone/app_functions.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>

#include "standalone/process_clock.h"
#include "standalone/runner_context.h"
#include "standalone/standard_output.h"

namespace kivs {

namespace {

// Text leaves the engine in pieces of this size through one stack buffer.
constexpr std::size_t kTextPiece = 16;

}  // namespace

KivRunResult WriteValueText(KivEngine* engine, KivDataEntry* value) {
  KivDataEntry* text = KivToString(engine, value);
  if (text == nullptr) return KivRunResult_OutOfDataMemory;
  std::size_t size = 0;
  KivStringValue(engine, text, &size, nullptr, 0, 0);
  char buffer[kTextPiece];
  for (std::size_t index = 0; index < size; index += kTextPiece) {
    KivStringValue(engine, text, nullptr, buffer, index, kTextPiece);
    const std::size_t count = std::min(kTextPiece, size - index);
    // One character at a time: a zero byte is text like any other.
    for (std::size_t i = 0; i < count; ++i) PutOutput(buffer[i]);
  }
  KivUnref(engine, text);
  return KivRunResult_OK;
}

int32_t SleepMilliseconds(double seconds) {
  const double milliseconds = std::round(seconds * 1000.0);
  if (std::isnan(milliseconds)) return 0;
  if (milliseconds >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  if (milliseconds <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(milliseconds);
}

}  // namespace kivs

KivRunResult AppPrint(KivEngine* engine, KivDataEntry* values,
                      KivDataEntry* sep, KivDataEntry* end,
                      KivDataEntry** /*returnValue*/) {
  int32_t count = 0;
  KivRunResult result = KivCount(engine, values, &count);
  if (result != KivRunResult_OK) return result;
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) {
      result = kivs::WriteValueText(engine, sep);
      if (result != KivRunResult_OK) return result;
    }
    result = kivs::WriteValueText(engine, KivElement(engine, values, i));
    if (result != KivRunResult_OK) return result;
  }
  return kivs::WriteValueText(engine, end);
}

KivRunResult AppSleep(KivEngine* engine, KivDataEntry* seconds,
                      KivDataEntry** /*returnValue*/) {
  auto* context = static_cast<kivs::RunnerContext*>(KivContext(engine));
  const int64_t now = kivs::ProcessMilliseconds();
  if (KivAgain(engine))
    return now < context->wakeTime ? KivRunResult_Again : KivRunResult_OK;
  double delay = 0;
  if (!KivFloatValue(seconds, &delay)) return KivRunResult_UnexpectedType;
  context->waiting = true;
  context->wakeTime = now + kivs::SleepMilliseconds(delay);
  return KivRunResult_Again;
}
