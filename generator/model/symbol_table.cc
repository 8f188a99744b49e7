#include "generator/model/symbol_table.h"

#include <algorithm>
#include <functional>

#include "format/reserved_names.h"
#include "generator/model/name_order.h"

namespace reserved_names = kivformat::reserved_names;

namespace kivg {

uint32_t SymbolTable::Find(std::string_view name, uint64_t hash,
                           size_t* slot) const {
  if (slots_.empty()) return kNoEntry;
  const size_t mask = slots_.size() - 1;
  const uint32_t hashHigh = static_cast<uint32_t>(hash >> 32);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& probe = slots_[i];
    if (probe.entry == kNoEntry ||
        (probe.hashHigh == hashHigh && entries_[probe.entry].first == name)) {
      *slot = i;
      return probe.entry;
    }
  }
}

void SymbolTable::Insert(std::string_view name, int32_t symbol, uint64_t hash,
                         size_t slot) {
  if (2 * (entries_.size() + 1) > slots_.size()) {
    Grow(std::max<size_t>(16, 2 * slots_.size()));
    Find(name, hash, &slot);
  }
  slots_[slot] = Slot{static_cast<uint32_t>(hash >> 32),
                      static_cast<uint32_t>(entries_.size())};
  entries_.emplace_back(names_.Keep(name), symbol);
}

void SymbolTable::Grow(size_t slotCount) {
  slots_.assign(slotCount, Slot{0, kNoEntry});
  const size_t mask = slotCount - 1;
  for (uint32_t entry = 0; entry < entries_.size(); ++entry) {
    const uint64_t hash = std::hash<std::string_view>()(entries_[entry].first);
    size_t i = hash & mask;
    while (slots_[i].entry != kNoEntry) i = (i + 1) & mask;
    slots_[i] = Slot{static_cast<uint32_t>(hash >> 32), entry};
  }
}

void SymbolTable::Reserve(size_t names) {
  size_t slotCount = 16;
  while (slotCount < 2 * names) slotCount *= 2;
  if (slotCount > slots_.size()) Grow(slotCount);
  entries_.reserve(names);
}

int32_t SymbolTable::Assign(std::string_view name) {
  const uint64_t hash = std::hash<std::string_view>()(name);
  size_t slot = 0;
  const uint32_t found = Find(name, hash, &slot);
  if (found != kNoEntry) return entries_[found].second;

  // nextSymbol 0 means either a table that starts at 0 and is still empty, or
  // a range whose last number has been handed out. The check comes before the
  // insertion so that a failed request leaves no entry behind.
  bool wasEmpty = entries_.empty();
  if (nextSymbol_ == 0 && !wasEmpty)
    throw std::string("Maximum number of name symbols exceeded");

  int32_t symbol = nextSymbol_;
  Insert(name, symbol, hash, slot);
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
  const uint64_t hash = std::hash<std::string_view>()(name);
  size_t slot = 0;
  if (Find(name, hash, &slot) != kNoEntry)
    throw "System symbol name '" + std::string(name) + "' already defined";
  Insert(name, symbol, hash, slot);
}

void SymbolTable::DefineReservedNames(uint8_t features) {
  // Rows are entered in table order.
  for (const reserved_names::Row& row : reserved_names::kRows) {
    if (reserved_names::IsPresent(row, features))
      DefineReserved(row.symbol, row.name);
  }
}

int32_t SymbolTable::Lookup(std::string_view name) const {
  size_t slot = 0;
  const uint32_t found = Find(name, std::hash<std::string_view>()(name), &slot);
  if (found == kNoEntry)
    throw "Symbol name '" + std::string(name) + "' not found";
  return entries_[found].second;
}

bool SymbolTable::Contains(std::string_view name) const {
  size_t slot = 0;
  return Find(name, std::hash<std::string_view>()(name), &slot) != kNoEntry;
}

std::vector<SymbolTable::Entry> SymbolTable::ByName() const {
  std::vector<NameKey> keys;
  keys.reserve(entries_.size());
  for (uint32_t entry = 0; entry < entries_.size(); ++entry)
    keys.emplace_back(entries_[entry].first, entry);
  SortByName(keys);
  std::vector<Entry> sorted;
  sorted.reserve(keys.size());
  for (const NameKey& key : keys) sorted.push_back(entries_[key.index]);
  return sorted;
}

std::optional<std::string> SymbolTable::ReservedName(int32_t symbol) {
  for (const reserved_names::Row& row : reserved_names::kRows) {
    if (row.symbol == symbol) return std::string(row.name);
  }
  return std::nullopt;
}

}  // namespace kivg
