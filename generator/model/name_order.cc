#include "generator/model/name_order.h"

#include <algorithm>

namespace {

constexpr size_t kHeadSize = sizeof(NameKey::head);

}  // namespace

NameKey::NameKey(std::string_view text, uint32_t position)
    : head{0, 0}, name(text), index(position) {
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
  const size_t sizeA = a.name.size();
  const size_t sizeB = b.name.size();
  if (sizeA > kHeadSize && sizeB > kHeadSize) {
    const int order = a.name.substr(kHeadSize).compare(b.name.substr(kHeadSize));
    if (order != 0) return order < 0;
  } else if (sizeA != sizeB) {
    return sizeA < sizeB;
  }
  return a.index < b.index;
}

bool SameName(const NameKey& a, const NameKey& b) {
  return a.head[0] == b.head[0] && a.head[1] == b.head[1] &&
         a.name.size() == b.name.size() &&
         (a.name.size() <= kHeadSize ||
          a.name.substr(kHeadSize) == b.name.substr(kHeadSize));
}

void SortByName(std::vector<NameKey>& keys) {
  std::sort(keys.begin(), keys.end(), NameKeyLess);
}
