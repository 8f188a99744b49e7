#include "standin/compiler/source_info_writer.h"

#include "format/coding.h"
#include "format/source_info_format.h"

namespace coding = kivformat::coding;

namespace standin {

namespace {

using coding::PutFixed32;

void AppendName(std::string& bytes, const std::string& name) {
  PutFixed32(bytes, static_cast<uint32_t>(name.size()));
  bytes += name;
}

}  // namespace

uint32_t SourceInfoWriter::AddFile(const std::string& name) {
  files_.push_back(name);
  return static_cast<uint32_t>(files_.size() - 1);
}

void SourceInfoWriter::AddPosition(uint32_t programCounter, uint32_t file,
                                   uint32_t line, uint32_t column) {
  positions_.push_back({programCounter, file, line, column});
}

void SourceInfoWriter::AddSymbol(int32_t symbol, const std::string& name) {
  symbols_[symbol] = name;
}

std::string SourceInfoWriter::Bytes() const {
  namespace format = kivformat::source_info;
  std::string bytes(format::kMagic, format::kMagicSize);
  bytes += static_cast<char>(format::kVersion);
  bytes += static_cast<char>(withNames_ ? format::kHasSymbolNames : 0);
  PutFixed32(bytes, static_cast<uint32_t>(files_.size()));
  for (const std::string& file : files_) AppendName(bytes, file);
  PutFixed32(bytes, static_cast<uint32_t>(positions_.size()));
  for (const Position& p : positions_) {
    PutFixed32(bytes, p.programCounter);
    PutFixed32(bytes, p.file);
    PutFixed32(bytes, p.line);
    PutFixed32(bytes, p.column);
  }
  PutFixed32(bytes, withNames_ ? static_cast<uint32_t>(symbols_.size()) : 0);
  if (withNames_) {
    for (const auto& [symbol, name] : symbols_) {
      PutFixed32(bytes, static_cast<uint32_t>(symbol));
      AppendName(bytes, name);
    }
  }
  return bytes;
}

}  // namespace standin
