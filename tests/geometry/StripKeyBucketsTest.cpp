// The stripifier's per-vertex key lists: a key is found under its own vertex only, with the value it was
// filed with, whether it sits in the vertex's short list or among the keys spilled past it.
#include <gtest/gtest.h>

#include <vector>

#include "geometry/StripKeyBuckets.h"

namespace PM::Test {

TEST(StripKeyBuckets, KeysAreFoundUnderTheirVertexInListAndSpill) {
  // Vertex 0 gets 41 keys (past its list), vertex 1 three, vertex 2 none; vertex 3 shares keys with vertex 0.
  std::vector<int32_t> counts = {41, 3, 0, 5};
  StripKeyBuckets<2> buckets(counts);
  int32_t next = 0;
  std::vector<int32_t> valueOf0;
  for (int32_t k = 0; k < 40; ++k) {
    EXPECT_EQ(buckets.FindOrAdd(0, {k, -k}, next), -1) << k;
    valueOf0.push_back(next++);
  }
  for (int32_t k = 0; k < 3; ++k) EXPECT_EQ(buckets.FindOrAdd(1, {k, -k}, next++), -1) << k;
  for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(buckets.FindOrAdd(3, {k, -k}, next++), -1) << k;
  // Found again, in reverse so that spilled keys come first; a second word that differs is another key.
  for (int32_t k = 39; k >= 0; --k) EXPECT_EQ(buckets.FindOrAdd(0, {k, -k}, 999), valueOf0[size_t(k)]) << k;
  EXPECT_EQ(buckets.FindOrAdd(1, {2, -2}, 999), 42);
  EXPECT_EQ(buckets.FindOrAdd(3, {0, 0}, 999), 43);
  EXPECT_EQ(buckets.FindOrAdd(3, {4, -4}, 999), 47);
  EXPECT_EQ(buckets.FindOrAdd(0, {5, 5}, 100), -1);
  EXPECT_EQ(buckets.FindOrAdd(0, {5, 5}, 999), 100);
  EXPECT_EQ(buckets.FindOrAdd(0, {5, -5}, 999), valueOf0[5]);
}

}  // namespace PM::Test
