// Hands out the signed 32-bit symbol numbers that identify names and modules
// at run time. The order of first requests decides the numbers, so every
// caller's order of calls is part of the output format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "format/encoded_spec_format.h"
#include "generator/model/text_pool.h"

namespace kivg {

class SymbolTable {
 public:
  // The highest number ever handed out: 2^27 - 1 (0x7FFFFFF). The encoded
  // spec carries a symbol in a 32-bit word whose top bits are flags (a
  // class, a member function, a parameter's kind), so every number must
  // leave them clear; this one leaves a bit more.
  static constexpr int32_t kLastSymbol = (int32_t{1} << 27) - 1;
  static_assert((static_cast<uint32_t>(kLastSymbol) &
                 kivformat::encoded_spec::kSymbolFlagBits) == 0,
                "symbol numbers would run into the encoded spec's flag bits");

  explicit SymbolTable(int32_t firstFree) : nextSymbol_(firstFree) {}

  // The name's number, giving it the next free one if it has none.
  // Throws "Maximum number of name symbols exceeded" when the range is used up.
  int32_t Assign(std::string_view name);
  // Enters a name with a fixed number below the first free one.
  void DefineReserved(int32_t symbol, std::string_view name);
  // Enters the reserved names whose feature mask is 0 or shares a bit with
  // the given features.
  void DefineReservedNames(uint8_t features);
  // Throws "Symbol name '...' not found" when the name has no number.
  int32_t Lookup(std::string_view name) const;
  bool Contains(std::string_view name) const;

  // The name of the reserved number, if any.
  static std::optional<std::string> ReservedName(int32_t symbol);

  // Every (name, number) pair, in byte order of the names. The views stay
  // valid as long as the table.
  using Entry = std::pair<std::string_view, int32_t>;
  std::vector<Entry> ByName() const;
  size_t size() const { return entries_.size(); }
  // The entries in the order they were made: entry i is the i-th name
  // entered, reserved or assigned.
  const Entry& EntryAt(size_t entry) const { return entries_[entry]; }
  // Makes room for this many names in all, so that numbering a large spec
  // does not grow the table again and again.
  void Reserve(size_t names);
  int32_t nextSymbol() const { return nextSymbol_; }

 private:
  static constexpr uint32_t kNoEntry = UINT32_MAX;

  // The entry holding the name, or kNoEntry; *slot is then the slot where it
  // is, or the free slot where it would go.
  uint32_t Find(std::string_view name, uint64_t hash, size_t* slot) const;
  void Insert(std::string_view name, int32_t symbol, uint64_t hash,
              size_t slot);
  void Grow(size_t slotCount);

  // Hashed: the writers look up every name they write, and only the header
  // needs the names in order, once. Entries go to an array in the order they
  // are made, their names to the pool. The slots are open-addressed: each
  // holds an entry's index and the high half of its name's hash, so a probe
  // is mostly settled without reading the entry, and a large table's slots
  // stay small enough to be cached.
  TextPool names_;
  std::vector<std::pair<std::string_view, int32_t>> entries_;
  struct Slot {
    uint32_t hashHigh;
    uint32_t entry;  // kNoEntry: free
  };
  std::vector<Slot> slots_;  // a power of two in size, at most half full
  int32_t nextSymbol_;
};

}  // namespace kivg
