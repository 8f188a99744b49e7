#include "standin/compiler/spec_names.h"

#include <string_view>

#include "format/coding.h"
#include "format/reserved_names.h"
#include "format/spec_file_format.h"

namespace coding = kivformat::coding;
namespace spec_file = kivformat::spec_file;
namespace reserved_names = kivformat::reserved_names;

namespace standin {

bool SpecNames::Parse(const std::string& bytes, std::string* error) {
  coding::MemoryReader in{coding::MemorySource(bytes)};
  std::string_view magic;
  if (bytes.size() < spec_file::kFixedHeaderSize ||
      !in.GetBytes(spec_file::kMagicSize, &magic) ||
      magic != std::string_view(spec_file::kMagic, spec_file::kMagicSize)) {
    *error = "not an application spec file";
    return false;
  }
  in.GetByte(&formatVersion_);
  if (formatVersion_ < spec_file::kFirstVersion ||
      formatVersion_ > spec_file::kLastVersion) {
    *error = "unsupported spec file format version " +
             std::to_string(formatVersion_);
    return false;
  }
  in.GetFixed32(&checkValue_);
  features_ = 0;
  if (formatVersion_ >= spec_file::kFirstVersionWithFeatures &&
      !in.GetByte(&features_)) {
    *error = "spec file is cut off";
    return false;
  }
  size_t at = in.position();

  for (const reserved_names::Row& reserved : reserved_names::kRows)
    if (reserved_names::IsPresent(reserved, features_))
      symbols_[reserved.name] = reserved.symbol;

  const char terminator =
      static_cast<char>(spec_file::NameTerminator(formatVersion_));
  bool inAliases = formatVersion_ >= spec_file::kFirstVersionWithAliasEnd;
  std::vector<std::string> aliases;
  int32_t next = spec_file::kFirstNameSymbol;
  while (at < bytes.size()) {
    size_t end = bytes.find(terminator, at);
    if (end == std::string::npos) {
      *error = "spec file is cut off";
      return false;
    }
    std::string name = bytes.substr(at, end - at);
    at = end + 1;
    if (name.empty()) {
      if (!inAliases) {
        *error = "spec file holds an empty name";
        return false;
      }
      inAliases = false;
      continue;
    }
    if (!symbols_.emplace(name, next).second) {
      *error = "spec file names '" + name + "' twice";
      return false;
    }
    ++next;
    if (inAliases) aliases.push_back(name);
  }
  if (inAliases) {
    *error = "spec file is cut off";
    return false;
  }
  // Import entries of the encoded spec follow the aliases' byte order.
  std::map<std::string, uint32_t> ordered;
  for (const std::string& alias : aliases) ordered[alias] = 0;
  uint32_t position = 0;
  for (auto& [alias, module] : ordered) module = ++position;
  aliasModules_ = std::move(ordered);
  return true;
}

bool SpecNames::Lookup(const std::string& name, int32_t* symbol) const {
  auto found = symbols_.find(name);
  if (found == symbols_.end()) return false;
  *symbol = found->second;
  return true;
}

bool SpecNames::AliasModule(const std::string& alias, uint32_t* module) const {
  auto found = aliasModules_.find(alias);
  if (found == aliasModules_.end()) return false;
  *module = found->second;
  return true;
}

}  // namespace standin
