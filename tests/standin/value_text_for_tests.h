// Reads an engine value's text form into a std::string, for tests that look
// at what a script passed to an app function.
#pragma once

#include <string>

#include "include/kiv.h"

inline std::string Text(KivEngine* engine, KivDataEntry* value) {
  KivDataEntry* text = KivToString(engine, value);
  if (text == nullptr) return "<null>";
  size_t size = 0;
  KivStringValue(engine, text, &size, nullptr, 0, 0);
  std::string result(size, '\0');
  KivStringValue(engine, text, nullptr, &result[0], 0, size);
  KivUnref(engine, text);
  return result;
}
