// A table-driven CRC calculator for any width from 1 to 32 bits, polynomial,
// initial value, input and output reflection and final XOR. The spec's check
// value uses the standard CRC-32 configuration (Crc32()).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kivg {

class CrcEngine {
 public:
  CrcEngine(int width, uint32_t polynomial, uint32_t initial, bool reflectInput,
            bool reflectOutput, uint32_t finalXor);

  // Width 32, polynomial 0x04C11DB7, initial and final XOR 0xFFFFFFFF,
  // reflected input and output.
  static CrcEngine Crc32();

  // The register value to start from.
  uint32_t Initial() const { return initial_; }
  // Runs the table step for each byte and returns the new register.
  uint32_t Update(uint32_t crcRegister, const uint8_t* bytes,
                  size_t length) const;
  // The CRC value of a finished register.
  uint32_t Result(uint32_t crcRegister) const;

 private:
  // Widths below 8 work as width 8 with the register, polynomial and initial
  // value shifted left by shift_ = 8 - width.
  int width_;
  int workWidth_;
  int shift_;
  uint32_t mask_;  // of the working width
  uint32_t initial_;
  bool reflectInput_;
  bool reflectOutput_;
  uint32_t finalXor_;
  std::array<uint32_t, 256> table_;
  std::array<uint8_t, 256> reversedBytes_;
};

}  // namespace kivg
