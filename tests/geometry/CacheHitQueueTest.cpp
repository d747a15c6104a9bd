// The stripifier's greedy cache order: owners come out highest rank first and lowest number on ties, with
// crowded vertices counted per group of owners, exactly as a plain scan of every owner's hits would pick them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "geometry/CacheHitQueue.h"

namespace PM::Test {

namespace {

struct Case {
  const char* what;
  int owners, vertices, slotsEach;
  int crowded;    // owners that also hold vertex 0 (vertex 1 for every third of them)
  int rows;       // rank rows: owner o ranks its hits times (o % rows + 1)
  int both = 0;   // of the crowded owners, the first this many also hold the other crowded vertex
  int twice = 0;  // every this many-th crowded owner holds its crowded vertex twice (0: none)
};

}  // namespace

TEST(CacheHitQueue, TakesTheOwnerAPlainScanWouldPick) {
  const Case cases[] = {
      {"light only", 120, 80, 3, 0, 1},
      {"one crowded vertex", 150, 40, 3, 140, 1},
      {"crowded, two rank rows", 200, 50, 4, 190, 2},
      {"crowded, three rank rows", 300, 30, 3, 250, 3},
      // Groups keyed by several crowded vertices and by the slots each member has at one.
      {"two crowded vertices, some held twice", 200, 50, 3, 180, 1, 60, 4},
      {"two crowded vertices, held twice, two rank rows", 240, 40, 3, 220, 2, 100, 3},
      {"every crowded owner holding both, twice", 160, 30, 2, 160, 1, 160, 1},
  };
  for (const Case& c : cases) {
    std::mt19937 rng(11);
    std::vector<std::vector<int32_t>> slots(size_t(c.owners));
    for (int o = 0; o < c.owners; ++o) {
      for (int s = 0; s < c.slotsEach; ++s) slots[size_t(o)].push_back(2 + int32_t(rng() % unsigned(c.vertices)));
      if (o >= c.crowded) continue;
      int32_t mine = o % 3 == 0 ? 1 : 0;
      slots[size_t(o)].push_back(mine);
      if (c.twice > 0 && o % c.twice == 0) slots[size_t(o)].push_back(mine);
      if (o < c.both) slots[size_t(o)].push_back(1 - mine);
    }
    int most = 0, total = 0;
    for (const std::vector<int32_t>& held : slots) {
      most = std::max(most, int(held.size()));
      total += int(held.size());
    }
    int stride = c.rows * most + 1;  // row r ranks h hits as (r + 1) * h
    Array<int32_t> rankTable, rankRow;
    for (int r = 0; r < c.rows; ++r)
      for (int h = 0; h < stride; ++h) rankTable.Append((r + 1) * h);
    for (int o = 0; o < c.owners; ++o) rankRow.Append((o % c.rows) * stride);
    int vertices = c.vertices + 2;
    VertexOwners owners(vertices, total, [&](auto slot) {
      for (int o = 0; o < c.owners; ++o)
        for (int32_t v : slots[size_t(o)]) slot(v, o);
    });
    CacheHitQueue queue(owners, c.owners, c.rows * stride, rankTable.Data(), rankRow);

    // The plain model: every owner's hits are its slots at cached vertices; a FIFO cache of four.
    std::vector<int> hits(size_t(c.owners), 0);
    std::vector<bool> taken(size_t(c.owners), false), cached(size_t(vertices), false);
    std::vector<int32_t> fifo;
    auto moved = [&](int32_t v, int delta) {
      queue.Moved(v, delta);
      for (int o = 0; o < c.owners; ++o)
        for (int32_t s : slots[size_t(o)]) hits[size_t(o)] += s == v ? delta : 0;
    };
    for (int step = 0; step < c.owners; ++step) {
      int best = -1;
      for (int o = 0; o < c.owners; ++o) {
        if (taken[size_t(o)]) continue;
        int rank = rankTable[rankRow[o] + hits[size_t(o)]];
        if (best < 0 || rank > rankTable[rankRow[best] + hits[size_t(best)]]) best = o;
      }
      ASSERT_EQ(queue.Take(), best) << c.what << ", step " << step;
      taken[size_t(best)] = true;
      for (int32_t v : slots[size_t(best)]) {
        if (cached[size_t(v)]) continue;
        cached[size_t(v)] = true;
        fifo.push_back(v);
        moved(v, 1);
        if (fifo.size() > 4) {
          int32_t out = fifo.front();
          fifo.erase(fifo.begin());
          cached[size_t(out)] = false;
          moved(out, -1);
        }
      }
      queue.Flush();
    }
    EXPECT_EQ(queue.Take(), -1) << c.what;
  }
}

}  // namespace PM::Test
