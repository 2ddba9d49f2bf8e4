#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "datasets/TmoxKeyIndex.h"

namespace mox {
namespace {

using Registros = std::vector<uint32_t>;

// Clear keeps the group objects for the next note: a key looked up just before it must not
// reach a group that is no longer in the table, or that has since been taken by another key.
TEST(KeyIndex, GroupsAfterClearBelongToTheirKeysOnly) {
  TmoxKeyIndex index;
  index.Add("1", 1);
  index.Add("1", 2);
  index.Add("2", 3);
  index.Add("1", 4);
  EXPECT_EQ(index.Records("1"), (Registros{1, 2, 4}));
  EXPECT_EQ(index.Records("2"), (Registros{3}));

  index.Clear();
  index.Add("2", 7);
  EXPECT_EQ(index.Records("3"), Registros{});
  EXPECT_EQ(index.Records("4"), Registros{});
  EXPECT_EQ(index.Records("2"), (Registros{7}));
  index.Add("1", 8);
  index.Add("2", 10);
  index.Add("2", 9);
  EXPECT_EQ(index.Records("1"), (Registros{8}));
  EXPECT_EQ(index.Records("2"), (Registros{7, 9, 10}));

  index.Remove("2", 9);
  EXPECT_EQ(index.Records("2"), (Registros{7, 10}));
  EXPECT_EQ(index.Records("1"), (Registros{8}));
}

// Keys are compared in words of several bytes: a difference in any byte, at any length, and a
// key that is the beginning of another, must still tell them apart.
TEST(KeyIndex, KeysDifferingInOneByteAreNotTheSame) {
  for (size_t n = 0; n <= 20; ++n) {
    const std::string key = std::string("0123456789abcdefghijk").substr(0, n);
    EXPECT_TRUE(SameKey(key, std::string(key))) << n;
    EXPECT_FALSE(SameKey(key, key + "x")) << n;
    for (size_t pos = 0; pos < n; ++pos) {
      std::string other = key;
      other[pos] = 'x';
      EXPECT_FALSE(SameKey(key, other)) << "length " << n << ", byte " << pos;
    }
  }
}

}  // namespace
}  // namespace mox
