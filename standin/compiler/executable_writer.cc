#include "standin/compiler/executable_writer.h"

#include "format/coding.h"
#include "format/executable_format.h"

namespace coding = kivformat::coding;
namespace executable = kivformat::executable;

namespace standin {

ExecutableWriter::ExecutableWriter(uint32_t checkValue) {
  bytes_.append(executable::kMagic, executable::kMagicSize);
  for (uint8_t byte : executable::kCodeVersion)
    bytes_ += static_cast<char>(byte);
  coding::PutFixed32(bytes_, checkValue);
}

void ExecutableWriter::PushNone() { bytes_ += char(executable::kPushNone); }

void ExecutableWriter::PushEllipsis() {
  bytes_ += char(executable::kPushEllipsis);
}

void ExecutableWriter::PushBoolean(bool value) {
  bytes_ += char(executable::kPushBoolean);
  bytes_ += char(value ? 1 : 0);
}

void ExecutableWriter::PushInteger(int64_t value) {
  bytes_ += char(executable::kPushInteger);
  coding::PutFixed64(bytes_, static_cast<uint64_t>(value));
}

void ExecutableWriter::PushFloat(double value) {
  bytes_ += char(executable::kPushFloat);
  coding::PutDouble(bytes_, value);
}

void ExecutableWriter::PushString(const std::string& value) {
  bytes_ += char(executable::kPushString);
  coding::PutFixed32(bytes_, static_cast<uint32_t>(value.size()));
  bytes_ += value;
}

void ExecutableWriter::PushConstant(uint32_t module, int32_t symbol) {
  bytes_ += char(executable::kPushConstant);
  coding::PutFixed32(bytes_, module);
  coding::PutFixed32(bytes_, static_cast<uint32_t>(symbol));
}

void ExecutableWriter::PushArguments() {
  bytes_ += char(executable::kPushArguments);
}

void ExecutableWriter::Call(uint32_t module, int32_t symbol,
                            uint8_t positionalCount,
                            const std::vector<int32_t>& keywords) {
  bytes_ += char(executable::kCall);
  coding::PutFixed32(bytes_, module);
  coding::PutFixed32(bytes_, static_cast<uint32_t>(symbol));
  bytes_ += static_cast<char>(positionalCount);
  bytes_ += static_cast<char>(keywords.size());
  for (int32_t keyword : keywords)
    coding::PutFixed32(bytes_, static_cast<uint32_t>(keyword));
}

void ExecutableWriter::Discard() { bytes_ += char(executable::kDiscard); }

void ExecutableWriter::End() { bytes_ += char(executable::kEnd); }

}  // namespace standin
