#include "standin/sourceinfo/source_info.h"

#include <algorithm>
#include <cstring>

#include "format/coding.h"
#include "format/source_info_format.h"

namespace standin {

namespace {

// Reads big-endian fields and refuses to step past the end.
class ByteReader {
 public:
  explicit ByteReader(const std::string& bytes) : bytes_(bytes) {}

  bool Byte(uint8_t* out) {
    if (at_ >= bytes_.size()) return false;
    *out = static_cast<uint8_t>(bytes_[at_++]);
    return true;
  }
  bool Word(uint32_t* out) {
    if (bytes_.size() - at_ < coding::kWordSize) return false;
    *out =
        coding::GetWord(reinterpret_cast<const uint8_t*>(bytes_.data()) + at_);
    at_ += coding::kWordSize;
    return true;
  }
  // A name: length word and bytes, none of them zero.
  bool Name(std::string* out) {
    uint32_t length;
    if (!Word(&length) || length > bytes_.size() - at_) return false;
    *out = bytes_.substr(at_, length);
    at_ += length;
    return out->find('\0') == std::string::npos;
  }
  bool atEnd() const { return at_ == bytes_.size(); }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

}  // namespace

bool SourceInfo::Parse(const std::string& bytes) {
  namespace format = source_info_format;
  ByteReader in(bytes);
  uint8_t byte;
  for (size_t i = 0; i < format::kMagicSize; ++i)
    if (!in.Byte(&byte) || byte != uint8_t(format::kMagic[i])) return false;
  uint8_t version, flags;
  if (!in.Byte(&version) || version != format::kVersion || !in.Byte(&flags) ||
      (flags & ~format::kHasSymbolNames) != 0)
    return false;
  hasSymbolNames_ = (flags & format::kHasSymbolNames) != 0;

  // Counts are checked against the bytes left before anything is reserved,
  // so a corrupt count cannot ask for a huge allocation.
  uint32_t count;
  if (!in.Word(&count) || count > bytes.size()) return false;
  fileNames_.resize(count);
  for (std::string& name : fileNames_)
    if (!in.Name(&name)) return false;

  if (!in.Word(&count) || count > bytes.size() / 16) return false;
  positions_.resize(count);
  for (size_t i = 0; i < positions_.size(); ++i) {
    SourcePosition& position = positions_[i];
    if (!in.Word(&position.programCounter) || !in.Word(&position.file) ||
        !in.Word(&position.line) || !in.Word(&position.column))
      return false;
    if (position.file >= fileNames_.size()) return false;
    if (i > 0 && position.programCounter <= positions_[i - 1].programCounter)
      return false;
  }

  if (!in.Word(&count) || count > bytes.size() / 8) return false;
  if (count > 0 && !hasSymbolNames_) return false;
  bool first = true;
  int32_t previous = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t word;
    std::string name;
    if (!in.Word(&word) || !in.Name(&name)) return false;
    int32_t symbol = static_cast<int32_t>(word);
    if (!first && symbol <= previous) return false;
    first = false;
    previous = symbol;
    symbolNames_.emplace(symbol, std::move(name));
  }
  return in.atEnd();
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
