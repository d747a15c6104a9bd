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
  // The caller's records by value, as the table asks about spilled keys.
  struct Filed {
    int32_t v, a, b;
  };
  std::vector<Filed> records(1000);
  auto find = [&](int32_t v, int32_t a, int32_t b, int32_t value) {
    records[size_t(value)] = Filed{v, a, b};
    return buckets.FindOrAdd(v, {a, b}, value, [&](int32_t at) {
      const Filed& r = records[size_t(at)];
      return r.v == v && r.a == a && r.b == b;
    });
  };
  int32_t next = 0;
  std::vector<int32_t> valueOf0;
  for (int32_t k = 0; k < 40; ++k) {
    EXPECT_EQ(find(0, k, -k, next), -1) << k;
    valueOf0.push_back(next++);
  }
  for (int32_t k = 0; k < 3; ++k) EXPECT_EQ(find(1, k, -k, next++), -1) << k;
  for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(find(3, k, -k, next++), -1) << k;
  // Found again, in reverse so that spilled keys come first; a second word that differs is another key.
  for (int32_t k = 39; k >= 0; --k) EXPECT_EQ(find(0, k, -k, 999), valueOf0[size_t(k)]) << k;
  EXPECT_EQ(find(1, 2, -2, 999), 42);
  EXPECT_EQ(find(3, 0, 0, 999), 43);
  EXPECT_EQ(find(3, 4, -4, 999), 47);
  EXPECT_EQ(find(0, 5, 5, 100), -1);
  EXPECT_EQ(find(0, 5, 5, 999), 100);
  EXPECT_EQ(find(0, 5, -5, 999), valueOf0[5]);
}

}  // namespace PM::Test
