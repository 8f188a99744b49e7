#include "standin/sourceinfo/source_info.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "format/coding.h"
#include "format/source_info_format.h"

namespace standin {

namespace {

using kivformat::coding::MemoryReader;
using kivformat::coding::MemorySource;

// A name: its length word and its bytes, none of them zero.
bool GetName(MemoryReader& in, std::string* out) {
  uint32_t length;
  std::string_view bytes;
  if (!in.GetFixed32(&length) || !in.GetBytes(length, &bytes)) return false;
  out->assign(bytes);
  return bytes.find('\0') == std::string_view::npos;
}

}  // namespace

bool SourceInfo::Parse(const std::string& bytes) {
  namespace format = kivformat::source_info;
  MemoryReader in{MemorySource(bytes)};
  uint8_t byte;
  for (size_t i = 0; i < format::kMagicSize; ++i)
    if (!in.GetByte(&byte) || byte != uint8_t(format::kMagic[i])) return false;
  uint8_t version, flags;
  if (!in.GetByte(&version) || version != format::kVersion ||
      !in.GetByte(&flags) || (flags & ~format::kHasSymbolNames) != 0)
    return false;
  hasSymbolNames_ = (flags & format::kHasSymbolNames) != 0;

  // Counts are checked against the bytes left before anything is reserved,
  // so a corrupt count cannot ask for a huge allocation.
  uint32_t count;
  if (!in.GetFixed32(&count) || count > bytes.size()) return false;
  fileNames_.resize(count);
  for (std::string& name : fileNames_)
    if (!GetName(in, &name)) return false;

  if (!in.GetFixed32(&count) || count > bytes.size() / 16) return false;
  positions_.resize(count);
  for (size_t i = 0; i < positions_.size(); ++i) {
    SourcePosition& position = positions_[i];
    if (!in.GetFixed32(&position.programCounter) ||
        !in.GetFixed32(&position.file) || !in.GetFixed32(&position.line) ||
        !in.GetFixed32(&position.column))
      return false;
    if (position.file >= fileNames_.size()) return false;
    if (i > 0 && position.programCounter <= positions_[i - 1].programCounter)
      return false;
  }

  if (!in.GetFixed32(&count) || count > bytes.size() / 8) return false;
  if (count > 0 && !hasSymbolNames_) return false;
  bool first = true;
  int32_t previous = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t word;
    std::string name;
    if (!in.GetFixed32(&word) || !GetName(in, &name)) return false;
    int32_t symbol = static_cast<int32_t>(word);
    if (!first && symbol <= previous) return false;
    first = false;
    previous = symbol;
    symbolNames_.emplace(symbol, std::move(name));
  }
  return in.AtEnd();
}

const SourcePosition* SourceInfo::Find(uint32_t programCounter) const {
  auto found =
      std::lower_bound(positions_.begin(), positions_.end(), programCounter,
                       [](const SourcePosition& p, uint32_t pc) {
                         return p.programCounter < pc;
                       });
  if (found == positions_.end() || found->programCounter != programCounter)
    return nullptr;
  return &*found;
}

const std::string* SourceInfo::SymbolName(int32_t symbol) const {
  auto found = symbolNames_.find(symbol);
  return found == symbolNames_.end() ? nullptr : &found->second;
}

}  // namespace standin
