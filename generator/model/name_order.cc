#include "generator/model/name_order.h"

#include <algorithm>

namespace kivg {

namespace {

constexpr size_t kHeadSize = sizeof(NameKey::head);

}  // namespace

NameKey::NameKey(std::string_view text, uint32_t position)
    : head{0, 0},
      data(text.data()),
      size(static_cast<uint32_t>(text.size())),
      index(position) {
  const size_t count = std::min(text.size(), kHeadSize);
  for (size_t i = 0; i < count; ++i) {
    const uint64_t byte = static_cast<unsigned char>(text[i]);
    head[i / 8] |= byte << (8 * (7 - i % 8));
  }
}

bool NameKeyLess(const NameKey& a, const NameKey& b) {
  if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
  if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
  // The first sixteen bytes agree, padding included. A name that fits in
  // them is then a prefix of the other name, or the same name.
  if (a.size > kHeadSize && b.size > kHeadSize) {
    const int order =
        a.name().substr(kHeadSize).compare(b.name().substr(kHeadSize));
    if (order != 0) return order < 0;
  } else if (a.size != b.size) {
    return a.size < b.size;
  }
  return a.index < b.index;
}

bool SameName(const NameKey& a, const NameKey& b) {
  return a.head[0] == b.head[0] && a.head[1] == b.head[1] && a.size == b.size &&
         (a.size <= kHeadSize ||
          a.name().substr(kHeadSize) == b.name().substr(kHeadSize));
}

void SortByName(std::vector<NameKey>& keys) {
  std::sort(keys.begin(), keys.end(), NameKeyLess);
}

}  // namespace kivg
