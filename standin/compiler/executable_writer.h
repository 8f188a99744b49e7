// Builds a stand-in engine executable (*.kive) instruction by instruction.
// kivc uses it for compiled scripts; engine tests use it for hand-made code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

class ExecutableWriter {
 public:
  explicit ExecutableWriter(uint32_t checkValue);

  // The program counter the next instruction will have.
  size_t programCounter() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }

  void PushNone();
  void PushEllipsis();
  void PushBoolean(bool value);
  void PushInteger(int64_t value);
  void PushFloat(double value);
  void PushString(const std::string& value);
  void PushConstant(uint32_t module, int32_t symbol);
  void PushArguments();
  void Call(uint32_t module, int32_t symbol, uint8_t positionalCount,
            const std::vector<int32_t>& keywords);
  void Discard();
  void End();

 private:
  std::string bytes_;
};

}  // namespace standin
