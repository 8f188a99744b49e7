#include "standin/engine/code_store.h"

#include <cstring>

namespace standin {

void CodeStore::Reset(uint8_t* area, size_t areaSize) {
  mode_ = Mode::Unset;
  area_ = area;
  areaSize_ = area == nullptr ? 0 : areaSize;
  code_ = nullptr;
  size_ = 0;
  added_ = 0;
  reader_ = nullptr;
  readerId_ = nullptr;
  pageCount_ = 0;
  nextVictim_ = 0;
  pageSize_ = 0;
  knownEnd_ = SIZE_MAX;
  pageReads_ = 0;
  for (uint32_t& page : pageInSlot_) page = kNoPage;
}

void CodeStore::UseWhole(const uint8_t* code, size_t size) {
  mode_ = Mode::Whole;
  code_ = code;
  size_ = code == nullptr ? 0 : size;
}

bool CodeStore::Add(const uint8_t* bytes, size_t count) {
  if (mode_ != Mode::Unset && mode_ != Mode::Bytes) return false;
  if (count > areaSize_ - added_) return false;
  mode_ = Mode::Bytes;
  if (count > 0) std::memcpy(area_ + added_, bytes, count);
  added_ += count;
  code_ = area_;
  size_ = added_;
  return true;
}

bool CodeStore::SetPaging(uint8_t pageCount, size_t pageSize,
                          KivCodeReader reader) {
  if (pageCount == 0 || pageSize == 0 || reader == nullptr) return false;
  if (pageSize > areaSize_ / pageCount) return false;
  mode_ = Mode::PagingSet;
  pageCount_ = pageCount;
  pageSize_ = pageSize;
  reader_ = reader;
  return true;
}

void CodeStore::StartPaging(void* id) {
  mode_ = Mode::Paged;
  readerId_ = id;
  knownEnd_ = SIZE_MAX;
  nextVictim_ = 0;
  for (uint32_t& page : pageInSlot_) page = kNoPage;
}

Fetch CodeStore::ByteAt(size_t offset, uint8_t* out) {
  switch (mode_) {
    case Mode::Whole:
    case Mode::Bytes:
      if (offset >= size_) return Fetch::End;
      *out = code_[offset];
      return Fetch::Ok;
    case Mode::Paged:
      return PagedByte(offset, out);
    default:
      return Fetch::End;
  }
}

Fetch CodeStore::PagedByte(size_t offset, uint8_t* out) {
  if (offset >= knownEnd_ || offset > 0xFFFFFFFFu) return Fetch::End;
  const size_t page = offset / pageSize_;
  size_t slot = 0;
  while (slot < pageCount_ && pageInSlot_[slot] != page) ++slot;
  if (slot == pageCount_) {
    // Round robin: the oldest page read gives way.
    slot = nextVictim_;
    nextVictim_ = static_cast<uint8_t>((nextVictim_ + 1) % pageCount_);
    pageInSlot_[slot] = kNoPage;
    size_t got = pageSize_;
    uint8_t* buffer = area_ + slot * pageSize_;
    const size_t start = page * pageSize_;
    ++pageReads_;
    if (reader_(readerId_, static_cast<uint32_t>(start), &got, buffer) != 0)
      return Fetch::ReadError;
    if (got < pageSize_ && start + got < knownEnd_) knownEnd_ = start + got;
    pageInSlot_[slot] = static_cast<uint32_t>(page);
    if (offset >= knownEnd_) return Fetch::End;
  }
  *out = area_[slot * pageSize_ + offset % pageSize_];
  return Fetch::Ok;
}

}  // namespace standin
