#include "standin/compiler/executable_writer.h"

#include <cstring>

#include "standin/engine/executable_format.h"

namespace standin {

ExecutableWriter::ExecutableWriter(uint32_t checkValue) {
  bytes_.append(executable::kMagic, executable::kMagicSize);
  for (uint8_t byte : executable::kCodeVersion) bytes_ += static_cast<char>(byte);
  Word(checkValue);
}

void ExecutableWriter::Word(uint32_t word) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes_ += static_cast<char>(word >> shift & 0xFF);
}

void ExecutableWriter::Long(uint64_t value) {
  Word(static_cast<uint32_t>(value >> 32));
  Word(static_cast<uint32_t>(value));
}

void ExecutableWriter::PushNone() { bytes_ += char(executable::kPushNone); }

void ExecutableWriter::PushEllipsis() { bytes_ += char(executable::kPushEllipsis); }

void ExecutableWriter::PushBoolean(bool value) {
  bytes_ += char(executable::kPushBoolean);
  bytes_ += char(value ? 1 : 0);
}

void ExecutableWriter::PushInteger(int64_t value) {
  bytes_ += char(executable::kPushInteger);
  Long(static_cast<uint64_t>(value));
}

void ExecutableWriter::PushFloat(double value) {
  bytes_ += char(executable::kPushFloat);
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Long(bits);
}

void ExecutableWriter::PushString(const std::string& value) {
  bytes_ += char(executable::kPushString);
  Word(static_cast<uint32_t>(value.size()));
  bytes_ += value;
}

void ExecutableWriter::PushConstant(uint32_t module, int32_t symbol) {
  bytes_ += char(executable::kPushConstant);
  Word(module);
  Word(static_cast<uint32_t>(symbol));
}

void ExecutableWriter::PushArguments() { bytes_ += char(executable::kPushArguments); }

void ExecutableWriter::Call(uint32_t module, int32_t symbol,
                            uint8_t positionalCount,
                            const std::vector<int32_t>& keywords) {
  bytes_ += char(executable::kCall);
  Word(module);
  Word(static_cast<uint32_t>(symbol));
  bytes_ += static_cast<char>(positionalCount);
  bytes_ += static_cast<char>(keywords.size());
  for (int32_t keyword : keywords) Word(static_cast<uint32_t>(keyword));
}

void ExecutableWriter::Discard() { bytes_ += char(executable::kDiscard); }

void ExecutableWriter::End() { bytes_ += char(executable::kEnd); }

}  // namespace standin
