#include "generator/model/symbol_table.h"

#include "generator/model/name_order.h"

namespace {

struct ReservedRow {
  int32_t symbol;
  const char* name;
  uint8_t featureMask;  // 0: always entered
};

// Rows are read in this order; the empty name ends the table. Numbers 5, 6
// and 9 to 63 are deliberately left unused.
constexpr ReservedRow kReservedNames[] = {
    {0, "sys", 0},      {1, "args", 0},     {2, "__main__", 0},
    {3, "__init__", 1}, {4, "__get__", 1},  {7, "__func__", 1},
    {8, "__call__", 1}, {0, "", 0},
};

}  // namespace

int32_t SymbolTable::Assign(std::string_view name) {
  auto found = entries_.find(name);
  if (found != entries_.end()) return found->second;

  // nextSymbol 0 means either a table that starts at 0 and is still empty, or
  // a range whose last number has been handed out. The check comes before the
  // insertion so that a failed request leaves no entry behind.
  bool wasEmpty = entries_.empty();
  if (nextSymbol_ == 0 && !wasEmpty)
    throw std::string("Maximum number of name symbols exceeded");

  int32_t symbol = nextSymbol_;
  entries_.emplace(names_.Keep(name), symbol);
  if (nextSymbol_ == kLastSymbol)
    nextSymbol_ = 0;
  else
    ++nextSymbol_;
  return symbol;
}

void SymbolTable::DefineReserved(int32_t symbol, std::string_view name) {
  if (symbol >= nextSymbol_)
    throw "Internal error: Symbol for reserved name " + std::string(name) +
        " is out of range: " + std::to_string(symbol);
  if (entries_.count(name) != 0)
    throw "System symbol name '" + std::string(name) + "' already defined";
  entries_.emplace(names_.Keep(name), symbol);
}

void SymbolTable::DefineReservedNames(uint8_t features) {
  for (const ReservedRow* row = kReservedNames; row->name[0] != '\0'; ++row) {
    if (row->featureMask == 0 || (row->featureMask & features) != 0)
      DefineReserved(row->symbol, row->name);
  }
}

int32_t SymbolTable::Lookup(std::string_view name) const {
  auto found = entries_.find(name);
  if (found == entries_.end())
    throw "Symbol name '" + std::string(name) + "' not found";
  return found->second;
}

bool SymbolTable::Contains(std::string_view name) const {
  return entries_.count(name) != 0;
}

std::vector<SymbolTable::Entry> SymbolTable::ByName() const {
  std::vector<int32_t> symbols;
  std::vector<NameKey> keys;
  symbols.reserve(entries_.size());
  keys.reserve(entries_.size());
  for (const auto& [name, symbol] : entries_) {
    keys.emplace_back(name, static_cast<uint32_t>(symbols.size()));
    symbols.push_back(symbol);
  }
  SortByName(keys);
  std::vector<Entry> sorted;
  sorted.reserve(keys.size());
  for (const NameKey& key : keys) sorted.emplace_back(key.name(), symbols[key.index]);
  return sorted;
}

std::optional<std::string> SymbolTable::ReservedName(int32_t symbol) {
  for (const ReservedRow* row = kReservedNames; row->name[0] != '\0'; ++row) {
    if (row->symbol == symbol) return std::string(row->name);
  }
  return std::nullopt;
}
