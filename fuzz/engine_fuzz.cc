// Fuzz target for the stand-in engine: arbitrary bytes as a script
// executable, offered to the engine against the two app specs built into kivs
// (the standard one first, as the runner does), then run with the runner's
// own app functions. The first input byte picks how the code is delivered:
// whole, byte by byte into a code area, or in pages of a few sizes read on
// demand from memory.
#include <kiv.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "standalone/built_in_specs.h"
#include "standalone/runner_context.h"

namespace {

// A script may loop forever through its app functions only by being long;
// the cap keeps each input's run short all the same.
constexpr int kMaxSteps = 10000;
constexpr size_t kDataEntries = 512;
constexpr size_t kCodeAreaSize = 4096;

enum class Delivery { kWhole, kBytes, kPaged };

struct Code {
  const uint8_t* bytes;
  size_t size;
};

int32_t ReadPage(void* id, uint32_t offset, size_t* size, uint8_t* buffer) {
  const Code& code = *static_cast<const Code*>(id);
  if (offset > code.size) return 6;
  const size_t count = std::min(*size, code.size - offset);
  if (count != 0) std::memcpy(buffer, code.bytes + offset, count);
  *size = count;
  return 0;
}

KivAddCodeResult Deliver(KivEngine& engine, Delivery delivery, Code& code,
                         size_t pageSize) {
  switch (delivery) {
    case Delivery::kWhole:
      return KivSealCode(&engine, code.bytes, code.size);
    case Delivery::kBytes:
      for (size_t i = 0; i < code.size; ++i) {
        const KivAddCodeResult added = KivAddCode(&engine, code.bytes + i, 1);
        if (added != KivAddCodeResult_OK) return added;
      }
      return KivSeal(&engine);
    case Delivery::kPaged: {
      const size_t pages = kCodeAreaSize / pageSize;
      const KivRunResult paging = KivSetCodePaging(
          &engine, static_cast<uint8_t>(pages > 255 ? 255 : pages), pageSize,
          ReadPage);
      if (paging != KivRunResult_OK) return paging;
      return KivPageCode(&engine, &code);
    }
  }
  return KivAddCodeResult_OK;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The script's print calls go nowhere; libFuzzer reports on stderr.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const size_t kPageSizes[] = {1, 7, 16, 64, 256};
  const uint8_t selector = data[0];
  Code code{data + 1, size - 1};
  const Delivery delivery = selector % 3 == 0   ? Delivery::kWhole
                            : selector % 3 == 1 ? Delivery::kBytes
                                                : Delivery::kPaged;
  const size_t pageSize = kPageSizes[(selector / 3) % 5];

  // The executable must not be read through the input buffer's end, so whole
  // mode runs from an exact-size copy.
  std::vector<uint8_t> whole(code.bytes, code.bytes + code.size);
  if (delivery == Delivery::kWhole) code.bytes = whole.data();

  KivEngine engine{};
  kivs::RunnerContext context;
  std::vector<uint8_t> codeArea(kCodeAreaSize);
  std::vector<uint8_t> dataArea(kDataEntries * KivDataEntrySize());
  const kivs::BuiltInSpecList specs = kivs::MakeBuiltInSpecList();
  bool loaded = false;
  for (const kivs::BuiltInSpec& spec : specs) {
    if (KivInitialize(
            &engine, delivery == Delivery::kWhole ? nullptr : codeArea.data(),
            delivery == Delivery::kWhole ? 0 : codeArea.size(), dataArea.data(),
            dataArea.size(), spec.spec, &context) != KivRunResult_OK)
      std::abort();
    const KivAddCodeResult result = Deliver(engine, delivery, code, pageSize);
    if (result == KivAddCodeResult_OK) {
      loaded = true;
      break;
    }
    if (result != KivAddCodeResult_InvalidCheckValue) break;
  }
  if (loaded) {
    const char* const arguments[] = {"one", "two words", "", nullptr};
    KivRunResult result = KivSetArguments(&engine, arguments);
    for (int step = 0; step < kMaxSteps && result == KivRunResult_OK; ++step) {
      result = KivStep(&engine);
      context.waiting = false;  // sleep never waits here
    }
    KivProgramCounter(&engine);
    KivLowFreeCount(&engine);
    KivCodePageReadCount(&engine, true);
  }
  KivReset(&engine);
  return 0;
}
