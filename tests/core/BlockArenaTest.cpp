// The block arena: freed room reused by size, chunks handed back when their last block goes, whatever the
// order of the frees. Where nodes land is checked with the scene's records (NodePlacementTest).
#include "core/BlockArena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace PM::Test {
namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

TEST(BlockArenaTest, FreedRoomIsReusedForTheSameSizeOnly) {
  BlockArena arena;
  void* a = arena.Alloc(328);
  void* b = arena.Alloc(328);
  void* keep = arena.Alloc(100);
  arena.Free(a, 328);
  arena.Free(b, 328);
  void* other = arena.Alloc(344);  // another size: fresh room after the last block
  EXPECT_GT(Addr(other), Addr(keep));
  EXPECT_EQ(arena.Alloc(330), b);  // the same rounded size, the last freed first
  EXPECT_EQ(arena.Alloc(328), a);
  EXPECT_NE(arena.Alloc(328), a);
  EXPECT_EQ(arena.LiveCount(), 5u);
}

// Blocks enough for several chunks, freed in a shuffled order: every chunk but the one new blocks go to
// is handed back, and the emptied arena starts again from the front of that chunk.
TEST(BlockArenaTest, ChunksGoBackWhenTheirLastBlockGoes) {
  for (unsigned seed : {1u, 2u, 3u}) {
    BlockArena arena;
    const size_t sizes[] = {328, 344, 96, 200};
    std::vector<std::pair<void*, size_t>> made;
    for (int i = 0; i < 1200; ++i) {
      const size_t n = sizes[i % 4];
      made.emplace_back(arena.Alloc(n), n);
    }
    const size_t chunks = arena.ChunkCount();
    EXPECT_GE(chunks, 5u);
    std::shuffle(made.begin(), made.end(), std::mt19937(seed));
    // Half freed and half of that made again: the room is reused, no chunk is added.
    for (size_t i = 0; i < made.size() / 2; ++i) arena.Free(made[i].first, made[i].second);
    for (size_t i = 0; i < made.size() / 4; ++i) made[i].first = arena.Alloc(made[i].second);
    EXPECT_LE(arena.ChunkCount(), chunks) << seed;
    for (size_t i = 0; i < made.size(); ++i)
      if (i < made.size() / 4 || i >= made.size() / 2) arena.Free(made[i].first, made[i].second);
    EXPECT_EQ(arena.LiveCount(), 0u);
    EXPECT_EQ(arena.ChunkCount(), 1u) << seed;
    void* first = arena.Alloc(328);
    EXPECT_EQ(Addr(first) % BlockArena::kChunkBytes, 64u) << "an empty chunk starts again at its front";
    arena.Free(first, 328);
  }
}

}  // namespace
}  // namespace PM::Test
