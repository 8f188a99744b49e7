#include "standin/engine/data_area.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace standin {

bool DataArea::Reset(void* data, size_t size) {
  entries_ = static_cast<KivDataEntry*>(data);
  entryCount_ = 0;
  freeHead_ = kNoEntry;
  freeCount_ = 0;
  lowFreeCount_ = 0;
  if (data == nullptr) return size == 0;
  if (reinterpret_cast<uintptr_t>(data) % alignof(KivDataEntry) != 0)
    return false;
  size_t count = size / sizeof(KivDataEntry);
  // Indices must stay clear of kNoEntry.
  if (count >= kNoEntry) count = kNoEntry - 1;
  entryCount_ = count;
  // Link from the top so that allocation starts at the lowest entry.
  for (size_t i = count; i-- > 0;) {
    KivDataEntry& entry = entries_[i];
    std::memset(&entry, 0, sizeof entry);
    entry.kind = EntryKind::Free;
    entry.link = freeHead_;
    freeHead_ = static_cast<uint32_t>(i);
  }
  freeCount_ = count;
  lowFreeCount_ = count;
  return true;
}

uint32_t DataArea::IndexOf(const KivDataEntry* entry) const {
  if (entry == nullptr || entryCount_ == 0) return kNoEntry;
  uintptr_t base = reinterpret_cast<uintptr_t>(entries_);
  uintptr_t at = reinterpret_cast<uintptr_t>(entry);
  if (at < base) return kNoEntry;
  uintptr_t offset = at - base;
  if (offset % sizeof(KivDataEntry) != 0) return kNoEntry;
  uintptr_t index = offset / sizeof(KivDataEntry);
  if (index >= entryCount_) return kNoEntry;
  EntryKind kind = entries_[index].kind;
  if (kind == EntryKind::Free || kind == EntryKind::Chunk ||
      kind == EntryKind::Binding || kind == EntryKind::StackCell)
    return kNoEntry;
  return static_cast<uint32_t>(index);
}

uint32_t DataArea::Allocate(EntryKind kind) {
  if (freeHead_ == kNoEntry) return kNoEntry;
  uint32_t index = freeHead_;
  KivDataEntry& entry = entries_[index];
  freeHead_ = entry.link;
  std::memset(&entry, 0, sizeof entry);
  entry.kind = kind;
  entry.refs = 1;
  entry.link = kNoEntry;
  --freeCount_;
  if (freeCount_ < lowFreeCount_) lowFreeCount_ = freeCount_;
  return index;
}

void DataArea::FreeOne(uint32_t index) {
  KivDataEntry& entry = entries_[index];
  entry.kind = EntryKind::Free;
  entry.refs = 0;
  entry.link = freeHead_;
  freeHead_ = index;
  ++freeCount_;
}

uint32_t DataArea::NewScalar(EntryKind kind) { return Allocate(kind); }

uint32_t DataArea::NewBoolean(bool value) {
  uint32_t index = Allocate(EntryKind::Boolean);
  if (index != kNoEntry) entries_[index].boolean = value;
  return index;
}

uint32_t DataArea::NewInteger(int64_t value) {
  uint32_t index = Allocate(EntryKind::Integer);
  if (index != kNoEntry) entries_[index].integer = value;
  return index;
}

uint32_t DataArea::NewFloat(double value) {
  uint32_t index = Allocate(EntryKind::Float);
  if (index != kNoEntry) entries_[index].real = value;
  return index;
}

uint32_t DataArea::NewChain(EntryKind kind, size_t count, size_t perEntry) {
  if (count > 0xFFFFFFFFu) return kNoEntry;
  const uint32_t head = Allocate(kind);
  if (head == kNoEntry) return kNoEntry;
  entries_[head].count = static_cast<uint32_t>(count);
  uint32_t current = head;
  for (size_t room = perEntry; room < count; room += perEntry) {
    const uint32_t chunk = Allocate(EntryKind::Chunk);
    if (chunk == kNoEntry) {
      // Nothing is stored in the chain yet, so it is freed as it stands.
      for (uint32_t at = entries_[head].link; at != kNoEntry;) {
        const uint32_t next = entries_[at].link;
        FreeOne(at);
        at = next;
      }
      FreeOne(head);
      return kNoEntry;
    }
    entries_[current].link = chunk;
    current = chunk;
  }
  return head;
}

uint32_t DataArea::NewString(const char* text, size_t length) {
  const uint32_t head = NewChain(EntryKind::String, length, kTextPerEntry);
  size_t done = 0;
  for (uint32_t at = head; at != kNoEntry;
       at = entries_[at].link, done += kTextPerEntry) {
    const size_t piece = std::min(length - done, kTextPerEntry);
    std::memcpy(entries_[at].text, text + done, piece);
  }
  return head;
}

uint32_t DataArea::NewTuple(size_t count) {
  const uint32_t head = NewChain(EntryKind::Tuple, count, kItemsPerEntry);
  for (uint32_t at = head; at != kNoEntry; at = entries_[at].link)
    std::fill(std::begin(entries_[at].items), std::end(entries_[at].items),
              kNoEntry);
  return head;
}

void DataArea::Ref(uint32_t index) {
  if (index != kNoEntry) ++entries_[index].refs;
}

void DataArea::Unref(uint32_t index) {
  if (index == kNoEntry) return;
  KivDataEntry& entry = entries_[index];
  if (entry.kind == EntryKind::Free || entry.refs == 0) return;
  if (--entry.refs > 0) return;
  switch (entry.kind) {
    case EntryKind::Tuple: {
      size_t remaining = entry.count;
      for (uint32_t at = index; at != kNoEntry;) {
        KivDataEntry& part = entries_[at];
        for (size_t i = 0; i < kItemsPerEntry && remaining > 0;
             ++i, --remaining)
          Unref(part.items[i]);
        uint32_t next = part.link;
        if (at != index) FreeOne(at);
        at = next;
      }
      break;
    }
    case EntryKind::String:
      for (uint32_t at = entry.link; at != kNoEntry;) {
        uint32_t next = entries_[at].link;
        FreeOne(at);
        at = next;
      }
      break;
    case EntryKind::Namespace:
      for (uint32_t at = entry.link; at != kNoEntry;) {
        uint32_t next = entries_[at].link;
        Unref(entries_[at].items[0]);
        FreeOne(at);
        at = next;
      }
      break;
    default:
      break;
  }
  FreeOne(index);
}

uint32_t DataArea::ChunkFor(uint32_t head, size_t position,
                            size_t perEntry) const {
  uint32_t at = head;
  for (size_t skip = position / perEntry; skip > 0 && at != kNoEntry; --skip)
    at = entries_[at].link;
  return at;
}

void DataArea::SetElement(uint32_t tuple, size_t position, uint32_t value) {
  uint32_t at = ChunkFor(tuple, position, kItemsPerEntry);
  uint32_t& slot = entries_[at].items[position % kItemsPerEntry];
  Unref(slot);
  slot = value;
}

uint32_t DataArea::Element(uint32_t tuple, size_t position) const {
  if (position >= entries_[tuple].count) return kNoEntry;
  uint32_t at = ChunkFor(tuple, position, kItemsPerEntry);
  return entries_[at].items[position % kItemsPerEntry];
}

char DataArea::CharAt(uint32_t string, size_t position) const {
  uint32_t at = ChunkFor(string, position, kTextPerEntry);
  return entries_[at].text[position % kTextPerEntry];
}

size_t DataArea::CopyText(uint32_t string, size_t position, char* buffer,
                          size_t size) const {
  size_t length = entries_[string].count;
  if (position >= length) return 0;
  size_t count = length - position < size ? length - position : size;
  uint32_t at = ChunkFor(string, position, kTextPerEntry);
  size_t offset = position % kTextPerEntry;
  for (size_t i = 0; i < count; ++i) {
    buffer[i] = entries_[at].text[offset];
    if (++offset == kTextPerEntry) {
      offset = 0;
      at = entries_[at].link;
    }
  }
  return count;
}

bool DataArea::Bind(uint32_t ns, int32_t symbol, uint32_t value) {
  uint32_t binding = Allocate(EntryKind::Binding);
  if (binding == kNoEntry) return false;
  KivDataEntry& entry = entries_[binding];
  entry.count = static_cast<uint32_t>(symbol);
  entry.items[0] = value;
  Ref(value);
  entry.link = entries_[ns].link;
  entries_[ns].link = binding;
  return true;
}

uint32_t DataArea::Bound(uint32_t ns, int32_t symbol) const {
  for (uint32_t at = entries_[ns].link; at != kNoEntry; at = entries_[at].link)
    if (entries_[at].count == static_cast<uint32_t>(symbol))
      return entries_[at].items[0];
  return kNoEntry;
}

bool DataArea::Push(uint32_t* top, uint32_t value) {
  uint32_t cell = Allocate(EntryKind::StackCell);
  if (cell == kNoEntry) return false;
  entries_[cell].items[0] = value;
  entries_[cell].link = *top;
  *top = cell;
  return true;
}

uint32_t DataArea::Pop(uint32_t* top) {
  if (*top == kNoEntry) return kNoEntry;
  uint32_t cell = *top;
  uint32_t value = entries_[cell].items[0];
  *top = entries_[cell].link;
  FreeOne(cell);
  return value;
}

uint32_t DataArea::Peek(uint32_t top, size_t depth) const {
  uint32_t at = top;
  for (; depth > 0 && at != kNoEntry; --depth) at = entries_[at].link;
  return at == kNoEntry ? kNoEntry : entries_[at].items[0];
}

}  // namespace standin
