// The block arena under threads that make and free blocks at once.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "core/BlockArena.h"

namespace PM::Test {
namespace {

// Threads making and freeing blocks at once: every block keeps its own bytes and nothing is left over.
TEST(BlockArenaTest, ThreadsShareOneArena) {
  BlockArena arena;
  std::vector<std::thread> threads;
  std::vector<int> bad(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&arena, &bad, t] {
      std::vector<unsigned char*> held;
      for (int i = 0; i < 3000; ++i) {
        auto* p = static_cast<unsigned char*>(arena.Alloc(328));
        std::memset(p, t + 1, 328);
        held.push_back(p);
        if (i % 3 == 2) {  // free an older one now and then
          unsigned char* q = held[size_t(i) / 2];
          if (q) {
            bad[size_t(t)] += q[0] != t + 1 || q[327] != t + 1;
            arena.Free(q, 328);
            held[size_t(i) / 2] = nullptr;
          }
        }
      }
      for (unsigned char* q : held)
        if (q) {
          bad[size_t(t)] += q[0] != t + 1 || q[327] != t + 1;
          arena.Free(q, 328);
        }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(bad, std::vector<int>(4, 0));
  EXPECT_EQ(arena.LiveCount(), 0u);
  EXPECT_EQ(arena.ChunkCount(), 1u);
}

}  // namespace
}  // namespace PM::Test
