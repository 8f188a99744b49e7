#include "standin/compiler/spec_names.h"

#include <cstring>

#include "generator/output/spec_file_format.h"

namespace standin {

namespace {

struct ReservedName {
  int32_t symbol;
  const char* name;
  uint8_t features;  // 0: always present
};

// The names the generator numbers below the first name of the file.
constexpr ReservedName kReservedNames[] = {
    {0, "sys", 0},      {1, "args", 0},     {2, "__main__", 0},
    {3, "__init__", spec_file::kClassFeature},
    {4, "__get__", spec_file::kClassFeature},
    {7, "__func__", spec_file::kClassFeature},
    {8, "__call__", spec_file::kClassFeature},
};

}  // namespace

bool SpecNames::Parse(const std::string& bytes, std::string* error) {
  if (bytes.size() < spec_file::kFixedHeaderSize ||
      std::memcmp(bytes.data(), spec_file::kMagic, spec_file::kMagicSize) != 0) {
    *error = "not an application spec file";
    return false;
  }
  formatVersion_ = static_cast<uint8_t>(bytes[spec_file::kVersionOffset]);
  if (formatVersion_ < 1 || formatVersion_ > 3) {
    *error = "unsupported spec file format version " + std::to_string(formatVersion_);
    return false;
  }
  checkValue_ = 0;
  for (int i = 0; i < 4; ++i)
    checkValue_ = checkValue_ << 8 |
                  static_cast<uint8_t>(bytes[spec_file::kCheckValueOffset + i]);
  size_t at = spec_file::kFixedHeaderSize;
  features_ = 0;
  if (formatVersion_ >= spec_file::kFirstVersionWithFeatures) {
    if (bytes.size() <= at) {
      *error = "spec file is cut off";
      return false;
    }
    features_ = static_cast<uint8_t>(bytes[at++]);
  }

  for (const ReservedName& reserved : kReservedNames)
    if (reserved.features == 0 || (reserved.features & features_) != 0)
      symbols_[reserved.name] = reserved.symbol;

  const char terminator = static_cast<char>(spec_file::NameTerminator(formatVersion_));
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
