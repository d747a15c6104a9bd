// The rank queue hands out the lowest item of the highest rank, the same whether its ranks are kept as bit
// levels (few ranks) or heaps (many), across level boundaries of thousands of items.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "geometry/RankQueue.h"

namespace PM::Test {

TEST(RankQueue, TakesWhatAPlainOrderedSetWould) {
  struct Case {
    const char* what;
    int ranks, used, items;
  };
  const Case cases[] = {
      {"bit levels, one word", 4, 4, 50},
      {"bit levels, three levels", 4, 4, 5000},
      {"bit levels, many ranks", 64, 64, 4200},
      {"heaps", 100, 4, 5000},
      {"bit levels, every rank of a set of words", 256, 256, 5000},
      {"heaps, past the bit levels' ranks", 257, 257, 5000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::mt19937 rng(7);
    RankQueue queue(c.ranks, c.items);
    std::vector<int> rank(size_t(c.items), 0);
    std::set<std::pair<int, int32_t>> plain;  // (-rank, item): the first is the one to take
    for (int32_t i = 0; i < c.items; ++i) plain.emplace(0, i);
    while (!plain.empty()) {
      // A burst of moves and removals, then one take.
      for (int k = int(rng() % 8); k-- > 0;) {
        int32_t item = int32_t(rng() % unsigned(c.items));
        if (rank[size_t(item)] < 0) continue;
        plain.erase({-rank[size_t(item)], item});
        if (rng() % 16 == 0) {
          queue.Remove(item);
          rank[size_t(item)] = -1;
          continue;
        }
        rank[size_t(item)] = int(rng() % unsigned(c.used));
        queue.Set(item, rank[size_t(item)]);
        plain.emplace(-rank[size_t(item)], item);
      }
      if (plain.empty()) break;
      int32_t expected = plain.begin()->second;
      ASSERT_EQ(queue.Peek(), expected);
      ASSERT_EQ(queue.Rank(expected), rank[size_t(expected)]);
      ASSERT_EQ(queue.Take(), expected);
      EXPECT_FALSE(queue.Has(expected));
      plain.erase(plain.begin());
      rank[size_t(expected)] = -1;
    }
    EXPECT_EQ(queue.Take(), -1);
  }
}

}  // namespace PM::Test
