// Sorting names by prefix keys must give exactly the byte order of the names
// themselves, with equal names in the order of their indexes.
#include "generator/model/name_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kivg {
namespace {

// Names that agree in their first sixteen bytes and differ after, names that
// are prefixes of others, bytes above 0x7F, and a zero byte, which the
// zero padding of short keys must not confuse with the end of a name.
const std::vector<std::string> kNames = {
    "call_with_1000000",
    "call_with_100000",
    "call_with_1000001",
    "call_with_10000",
    "call_with_1000000",
    "sum_items_999999",
    "a",
    "",
    "ab",
    std::string("ab\0", 3),
    std::string("ab\0c", 4),
    "\xC3\xA9",
    "B",
    "abcdefghijklmnopq",
    "abcdefghijklmnop",
    "abcdefghijklmnopr",
    "abcdefghijklmnopq",
    "z",
};

TEST(NameOrder, SortsLikeTheNamesThemselves) {
  std::vector<NameKey> keys;
  for (uint32_t i = 0; i < kNames.size(); ++i) keys.emplace_back(kNames[i], i);
  SortByName(keys);

  std::vector<uint32_t> expected(kNames.size());
  for (uint32_t i = 0; i < expected.size(); ++i) expected[i] = i;
  std::stable_sort(
      expected.begin(), expected.end(),
      [](uint32_t a, uint32_t b) { return kNames[a] < kNames[b]; });
  std::vector<uint32_t> order;
  for (const NameKey& key : keys) order.push_back(key.index);
  EXPECT_EQ(order, expected);
}

TEST(NameOrder, SameNameOnlyForEqualBytes) {
  for (uint32_t i = 0; i < kNames.size(); ++i) {
    for (uint32_t j = 0; j < kNames.size(); ++j) {
      EXPECT_EQ(SameName(NameKey(kNames[i], i), NameKey(kNames[j], j)),
                kNames[i] == kNames[j])
          << i << " " << j;
    }
  }
}

}  // namespace
}  // namespace kivg
