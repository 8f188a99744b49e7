// One loaded source-info file of the stand-in source-info library: the
// script's source file names, the source location of each instruction's
// program counter and the spec's symbol names. Parse() checks every count and
// offset against the bytes, so a cut-off or corrupt file is refused whole.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace standin {

struct SourcePosition {
  uint32_t programCounter;
  uint32_t file;
  uint32_t line;
  uint32_t column;
};

class SourceInfo {
 public:
  // False when the bytes are not a complete, well-formed file.
  bool Parse(const std::string& bytes);

  // Null when the counter has no source.
  const SourcePosition* Find(uint32_t programCounter) const;
  const std::vector<std::string>& fileNames() const { return fileNames_; }
  bool hasSymbolNames() const { return hasSymbolNames_; }
  // Null when the file holds no name for the symbol.
  const std::string* SymbolName(int32_t symbol) const;

 private:
  std::vector<std::string> fileNames_;
  std::vector<SourcePosition> positions_;  // ascending program counters
  std::map<int32_t, std::string> symbolNames_;
  bool hasSymbolNames_ = false;
};

}  // namespace standin
