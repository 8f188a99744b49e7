// Hands out the signed 32-bit symbol numbers that identify names and modules
// at run time. The order of first requests decides the numbers, so every
// caller's order of calls is part of the output format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class SymbolTable {
 public:
  // The highest number ever handed out.
  static constexpr int32_t kLastSymbol = 0x7FFFFFF;

  explicit SymbolTable(int32_t firstFree) : nextSymbol_(firstFree) {}

  // The name's number, giving it the next free one if it has none.
  // Throws "Maximum number of name symbols exceeded" when the range is used up.
  int32_t Assign(const std::string& name);
  // Enters a name with a fixed number below the first free one.
  void DefineReserved(int32_t symbol, const std::string& name);
  // Enters the reserved names whose feature mask is 0 or shares a bit with
  // the given features.
  void DefineReservedNames(uint8_t features);
  // Throws "Symbol name '...' not found" when the name has no number.
  int32_t Lookup(const std::string& name) const;
  bool Contains(const std::string& name) const;

  // The name of the reserved number, if any.
  static std::optional<std::string> ReservedName(int32_t symbol);

  // Every (name, number) pair, in byte order of the names. The views stay
  // valid as long as the table.
  using Entry = std::pair<std::string_view, int32_t>;
  std::vector<Entry> ByName() const;
  size_t size() const { return entries_.size(); }
  // Makes room for this many names in all, so that numbering a large spec
  // does not rehash the table again and again.
  void Reserve(size_t names) { entries_.reserve(names); }
  int32_t nextSymbol() const { return nextSymbol_; }

 private:
  // Hashed: the writers look up every name they write, and only the header
  // needs the names in order, once.
  std::unordered_map<std::string, int32_t> entries_;
  int32_t nextSymbol_;
};
