// What kivc learns from an application spec file (*.kivec): the check value,
// the features, the import aliases and the symbol number of every name,
// including the reserved names the generator never writes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace standin {

class SpecNames {
 public:
  // False with a reason when the bytes are not a spec file.
  bool Parse(const std::string& bytes, std::string* error);

  uint32_t checkValue() const { return checkValue_; }
  uint8_t formatVersion() const { return formatVersion_; }
  uint8_t features() const { return features_; }

  // Symbol number of a name, or false.
  bool Lookup(const std::string& name, int32_t* symbol) const;
  // Module operand of an import alias (its 1-based position in byte order).
  bool AliasModule(const std::string& alias, uint32_t* module) const;
  // Every name with its number, reserved names included.
  const std::map<std::string, int32_t>& symbols() const { return symbols_; }

 private:
  uint32_t checkValue_ = 0;
  uint8_t formatVersion_ = 0;
  uint8_t features_ = 0;
  std::map<std::string, int32_t> symbols_;
  std::map<std::string, uint32_t> aliasModules_;
};

}  // namespace standin
