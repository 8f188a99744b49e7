// Where the stand-in engine finds its code: the caller's whole executable,
// the bytes added one by one into the code area, or pages of the code area
// filled on demand through the application's KivCodeReader. Kept by value
// inside the engine object; the page table is a fixed array, so paging needs
// no memory of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "include/kiv.h"

namespace standin {

enum class Fetch : uint8_t { Ok, End, ReadError };

class CodeStore {
 public:
  static constexpr size_t kMaxPages = 255;

  void Reset(uint8_t* area, size_t areaSize);

  // Whole mode: the caller's executable, used in place.
  void UseWhole(const uint8_t* code, size_t size);
  // Byte mode: false when the code area is full.
  bool Add(const uint8_t* bytes, size_t count);
  // Paged mode: false when the pages do not fit the code area.
  bool SetPaging(uint8_t pageCount, size_t pageSize, KivCodeReader reader);
  bool pagingSet() const { return mode_ == Mode::PagingSet; }
  void StartPaging(void* id);

  bool loading() const { return mode_ != Mode::Unset; }
  size_t added() const { return added_; }

  Fetch ByteAt(size_t offset, uint8_t* out);
  size_t pageReads() const { return pageReads_; }
  void ClearPageReads() { pageReads_ = 0; }

 private:
  enum class Mode : uint8_t { Unset, Whole, Bytes, PagingSet, Paged };
  static constexpr uint32_t kNoPage = 0xFFFFFFFF;

  Fetch PagedByte(size_t offset, uint8_t* out);

  Mode mode_;
  uint8_t* area_;
  size_t areaSize_;
  const uint8_t* code_;
  size_t size_;
  size_t added_;
  KivCodeReader reader_;
  void* readerId_;
  uint8_t pageCount_;
  uint8_t nextVictim_;
  size_t pageSize_;
  size_t knownEnd_;  // code length, once a short page read revealed it
  size_t pageReads_;
  uint32_t pageInSlot_[kMaxPages];
};

}  // namespace standin
