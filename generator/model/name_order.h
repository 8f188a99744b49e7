// Sorting many names that lie all over the heap. Each key carries the name's
// first sixteen bytes in a comparable form, so most comparisons are settled
// without reading the names themselves.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kivg {

struct NameKey {
  NameKey(std::string_view text, uint32_t position);
  std::string_view name() const { return {data, size}; }

  uint64_t head[2];  // the first 16 bytes, most significant first, 0-padded
  const char* data;
  uint32_t size;
  uint32_t index;  // the caller's number for the name
};

// Byte order of the names; equal names keep the order of their indexes.
bool NameKeyLess(const NameKey& a, const NameKey& b);
bool SameName(const NameKey& a, const NameKey& b);
void SortByName(std::vector<NameKey>& keys);

}  // namespace kivg
