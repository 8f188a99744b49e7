#include "cli/option_value.h"

#include <cerrno>
#include <cstdlib>

namespace cli {

bool ParseOptionNumber(const char* text, EmptyValue empty, int32_t* value) {
  if (*text == '\0') {
    if (empty == EmptyValue::kInvalid) return false;
    *value = 0;
    return true;
  }
  errno = 0;
  char* end = nullptr;
  const long long number = std::strtoll(text, &end, 0);
  if (*end != '\0' || errno == ERANGE || number < INT32_MIN ||
      number > INT32_MAX)
    return false;
  *value = static_cast<int32_t>(number);
  return true;
}

bool ParseOptionSize(const char* text, EmptyValue empty, std::size_t* size) {
  int32_t number = 0;
  if (!ParseOptionNumber(text, empty, &number)) return false;
  *size = static_cast<std::size_t>(static_cast<int64_t>(number));
  return true;
}

}  // namespace cli
