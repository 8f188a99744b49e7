#include "generator/model/crc_engine.h"

namespace kivg {

namespace {

uint32_t WidthMask(int width) {
  return static_cast<uint32_t>((uint64_t{1} << width) - 1);
}

uint32_t Reflect(uint32_t value, int width) {
  uint32_t reflected = 0;
  for (int bit = 0; bit < width; ++bit) {
    if (value & (uint32_t{1} << bit))
      reflected |= uint32_t{1} << (width - 1 - bit);
  }
  return reflected;
}

}  // namespace

CrcEngine::CrcEngine(int width, uint32_t polynomial, uint32_t initial,
                     bool reflectInput, bool reflectOutput, uint32_t finalXor)
    : width_(width),
      workWidth_(width < 8 ? 8 : width),
      shift_(width < 8 ? 8 - width : 0),
      mask_(WidthMask(workWidth_)),
      initial_((initial << shift_) & mask_),
      reflectInput_(reflectInput),
      reflectOutput_(reflectOutput),
      finalXor_(finalXor & WidthMask(width)) {
  const uint32_t poly = (polynomial << shift_) & mask_;
  const uint32_t topBit = uint32_t{1} << (workWidth_ - 1);
  for (uint32_t index = 0; index < 256; ++index) {
    uint32_t value = (index << (workWidth_ - 8)) & mask_;
    for (int round = 0; round < 8; ++round)
      value = (value & topBit) ? ((value << 1) ^ poly) & mask_
                               : (value << 1) & mask_;
    table_[index] = value;
    reversedBytes_[index] = static_cast<uint8_t>(Reflect(index, 8));
  }
}

CrcEngine CrcEngine::Crc32() {
  return CrcEngine(32, 0x04C11DB7u, 0xFFFFFFFFu, true, true, 0xFFFFFFFFu);
}

uint32_t CrcEngine::Update(uint32_t crcRegister, const uint8_t* bytes,
                           size_t length) const {
  for (size_t i = 0; i < length; ++i) {
    uint8_t byte = reflectInput_ ? reversedBytes_[bytes[i]] : bytes[i];
    uint32_t top = (crcRegister >> (workWidth_ - 8)) & 0xFF;
    crcRegister = ((crcRegister << 8) ^ table_[top ^ byte]) & mask_;
  }
  return crcRegister;
}

uint32_t CrcEngine::Result(uint32_t crcRegister) const {
  uint32_t value = (crcRegister & mask_) >> shift_;
  if (reflectOutput_) value = Reflect(value, width_);
  return (value ^ finalXor_) & WidthMask(width_);
}

}  // namespace kivg
