// Everything the stand-in engine remembers between calls. It is placed in the
// application's KivEngine storage by KivInitialize; values live in the data
// area and code in the caller's memory or code area, so the engine allocates
// nothing of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "include/kiv.h"
#include "standin/engine/code_store.h"
#include "standin/engine/data_area.h"
#include "standin/engine/encoded_spec_reader.h"

namespace standin {

struct EngineState {
  uint32_t marker;  // kLiveMarker while initialized
  bool sealed;
  bool headerChecked;
  bool finished;
  bool again;  // the current call repeats one that asked to be called again
  uint8_t codeVersion[4];
  const KivAppSpec* appSpec;
  void* context;
  EncodedSpec spec;
  DataArea data;
  CodeStore code;
  size_t programCounter;
  uint32_t stackTop;   // top cell of the evaluation stack
  uint32_t arguments;  // the script's argument tuple, or kNoEntry
};

constexpr uint32_t kLiveMarker = 0x4B697645;

// The state of an initialized engine, or null.
EngineState* LiveState(KivEngine* engine);

// A new value for a literal of the spec; kNoEntry when memory is exhausted.
uint32_t NewSpecValue(EngineState& state, const SpecValue& value);

}  // namespace standin
