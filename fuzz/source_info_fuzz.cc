// Fuzz target for the stand-in source-info library: arbitrary bytes as a
// .kivd file, loaded through the library's C interface and, when accepted,
// queried the way kivs and kivinfo query it.
#include <kivd.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The library loads from a file name only, so each input goes through one
// scratch file per fuzzing process.
const std::string& ScratchPath() {
  static const std::string path =
      "/tmp/kiv_source_info_fuzz_" + std::to_string(getpid()) + ".kivd";
  return path;
}

void WriteScratch(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  if (std::fclose(file) != 0) std::abort();
}

// Touches every byte of a returned text, so that a dangling or unterminated
// one shows under the address sanitizer.
size_t Touch(const char* text) {
  return text == nullptr ? 0 : std::strlen(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteScratch(data, size);
  KivSourceInfo* info = KivLoadSourceInfoFromFile(ScratchPath().c_str());
  // The library has read the whole file; none is left behind after a run.
  std::remove(ScratchPath().c_str());
  if (info == nullptr) return 0;
  size_t total = 0;
  for (uint32_t index = 0; const char* name = KivGetSourceFileName(info, index);
       ++index)
    total += Touch(name);
  // Program counters and symbols from the input itself hit existing entries
  // as well as gaps.
  for (size_t at = 0; at + 4 <= size; ++at) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4; ++i) word = word << 8 | data[at + i];
    const KivSourceLocation location = KivGetSourceLocation(info, word);
    total += Touch(location.fileName) + location.line + location.column;
    total += Touch(KivGetSymbolName(info, static_cast<int32_t>(word)));
  }
  total += Touch(KivGetSymbolName(info, INT32_MIN));
  total += Touch(KivGetSymbolName(info, INT32_MAX));
  KivUnloadSourceInfo(info);
  return total == SIZE_MAX ? 1 : 0;
}
