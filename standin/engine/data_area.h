// The stand-in engine's value store: fixed-size entries carved out of the
// data area that the application hands to KivInitialize, with reference counts
// and a free list. Strings and tuples that do not fit one entry continue in
// chained entries. A DataArea is a plain view kept inside the engine object;
// it owns no memory, so nothing outlives an engine call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace standin {

enum class EntryKind : uint8_t {
  Free,
  None,
  Ellipsis,
  Boolean,
  Integer,
  Float,
  String,     // count = length; text holds the first bytes, link the rest
  Tuple,      // count = size; items hold the first elements, link the rest
  Chunk,      // continuation of a string or tuple
  Namespace,  // the arguments of one call; link = first binding
  Binding,    // count = parameter symbol, items[0] = value, link = next
  StackCell,  // items[0] = value, link = the cell below
};

constexpr uint32_t kNoEntry = 0xFFFFFFFF;
constexpr size_t kTextPerEntry = 16;
constexpr size_t kItemsPerEntry = 4;

}  // namespace standin

// The engine interface names the entry type without defining it.
struct KivDataEntry {
  standin::EntryKind kind;
  uint8_t unused[3];
  uint32_t refs;
  uint32_t link;
  uint32_t count;
  union {
    int64_t integer;
    double real;
    bool boolean;
    char text[standin::kTextPerEntry];
    uint32_t items[standin::kItemsPerEntry];
  };
};

namespace standin {

class DataArea {
 public:
  // False when the area is not aligned for entries.
  bool Reset(void* data, size_t size);

  size_t entryCount() const { return entryCount_; }
  size_t freeCount() const { return freeCount_; }
  size_t lowFreeCount() const { return lowFreeCount_; }

  KivDataEntry* At(uint32_t index) const { return &entries_[index]; }
  // kNoEntry when the pointer is not the start of a live entry of this area.
  uint32_t IndexOf(const KivDataEntry* entry) const;

  // Each New* returns an entry holding one reference, or kNoEntry when the
  // area is exhausted (nothing is left allocated then).
  uint32_t NewScalar(EntryKind kind);
  uint32_t NewBoolean(bool value);
  uint32_t NewInteger(int64_t value);
  uint32_t NewFloat(double value);
  uint32_t NewString(const char* text, size_t length);
  // A tuple of count elements, all kNoEntry until SetElement fills them.
  uint32_t NewTuple(size_t count);
  uint32_t NewNamespace() { return NewScalar(EntryKind::Namespace); }

  void Ref(uint32_t index);
  void Unref(uint32_t index);

  // Takes over the caller's reference to value.
  void SetElement(uint32_t tuple, size_t position, uint32_t value);
  uint32_t Element(uint32_t tuple, size_t position) const;
  char CharAt(uint32_t string, size_t position) const;
  // Copies up to size bytes from position on; returns the count copied.
  size_t CopyText(uint32_t string, size_t position, char* buffer,
                  size_t size) const;

  // Namespace bindings. Bind takes a new reference to value; false when the
  // area is exhausted.
  bool Bind(uint32_t ns, int32_t symbol, uint32_t value);
  uint32_t Bound(uint32_t ns, int32_t symbol) const;

  // The evaluation stack, a chain of cells.
  bool Push(uint32_t* top, uint32_t value);  // takes over the reference
  uint32_t Pop(uint32_t* top);               // hands the reference back
  uint32_t Peek(uint32_t top, size_t depth) const;

 private:
  uint32_t Allocate(EntryKind kind);
  void FreeOne(uint32_t index);
  // An entry of `kind` holding `count`, with linked chunks so that together
  // they have room for `count` pieces of `perEntry` each; kNoEntry, with
  // nothing left allocated, when the area runs out.
  uint32_t NewChain(EntryKind kind, size_t count, size_t perEntry);
  // The entry holding a tuple element or text byte at position.
  uint32_t ChunkFor(uint32_t head, size_t position, size_t perEntry) const;

  KivDataEntry* entries_;
  size_t entryCount_;
  uint32_t freeHead_;
  size_t freeCount_;
  size_t lowFreeCount_;
};

}  // namespace standin
