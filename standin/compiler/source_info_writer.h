// Builds a stand-in source-info file (*.kivd): source file names, the source
// position of each program counter and the symbol names. kivc writes one per
// compiled script; source-info tests build theirs with it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace standin {

class SourceInfoWriter {
 public:
  uint32_t AddFile(const std::string& name);
  // Program counters must be added in ascending order.
  void AddPosition(uint32_t programCounter, uint32_t file, uint32_t line,
                   uint32_t column);
  void AddSymbol(int32_t symbol, const std::string& name);
  // A file without names answers every symbol question with "no names".
  void OmitSymbolNames() { withNames_ = false; }

  std::string Bytes() const;

 private:
  struct Position {
    uint32_t programCounter, file, line, column;
  };
  std::vector<std::string> files_;
  std::vector<Position> positions_;
  std::map<int32_t, std::string> symbols_;
  bool withNames_ = true;
};

}  // namespace standin
