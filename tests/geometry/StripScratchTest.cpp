// The stripifier's kept working blocks: what a call gives back is handed out again, smallest fit first, and
// each thread keeps its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "geometry/ScratchStore.h"
#include "geometry/StripScratch.h"
#include "geometry/Stripifier.h"

namespace PM {

namespace {

// Runs `body` on a thread of its own, so that it starts with no kept block.
template <class Body>
void OnFreshThread(Body body) {
  std::thread t(body);
  t.join();
}

}  // namespace

TEST(StripScratch, GivenBlocksComeBackSmallestFitFirst) {
  OnFreshThread([] {
    size_t small = 1000, large = 5000;
    void* a = StripScratch::Take(small);
    void* b = StripScratch::Take(large);
    EXPECT_GE(small, 1000u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 64, 0u);
    std::memset(a, 1, small);
    std::memset(b, 2, large);
    StripScratch::Give(b, large);
    StripScratch::Give(a, small);
    struct Case {
      size_t ask;
      void* expected;
      size_t bytes;
    };
    // Taken in turn: each takes the smallest kept block that holds it, with that block's whole size.
    const Case cases[] = {{2000, b, large}, {900, a, small}};
    for (const Case& c : cases) {
      size_t bytes = c.ask;
      EXPECT_EQ(StripScratch::Take(bytes), c.expected) << c.ask;
      EXPECT_EQ(bytes, c.bytes) << c.ask;
    }
    StripScratch::Give(a, small);
    StripScratch::Give(b, large);
  });
}

TEST(StripScratch, ThreadsKeepTheirOwnBlocksAndOversizedOnesAreFreed) {
  OnFreshThread([] {
    size_t bytes = 4096;
    void* mine = StripScratch::Take(bytes);
    StripScratch::Give(mine, bytes);
    void* other = nullptr;
    OnFreshThread([&] {
      size_t b = 4096;
      other = StripScratch::Take(b);
      StripScratch::Give(other, b);
    });
    EXPECT_NE(other, mine);  // still kept here, so the other thread had a block of its own
    size_t again = 4096;
    EXPECT_EQ(StripScratch::Take(again), mine);
    StripScratch::Give(mine, again);
    // A block past what a thread keeps goes back to the allocator (under ASan a leak would be reported).
    size_t huge = StripScratch::kKeptBytes + 64;
    void* big = StripScratch::Take(huge);
    StripScratch::Give(big, huge);
    size_t next = 64;
    EXPECT_EQ(StripScratch::Take(next), mine);  // the only kept block that fits
    StripScratch::Give(mine, next);
  });
}

// A grid of 2 * w * h triangles.
Array<int32_t> Grid(int32_t w, int32_t h) {
  Array<int32_t> in;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      int32_t a = y * (w + 1) + x, b = a + 1, c = a + w + 2, d = a + w + 1;
      for (int32_t v : {a, b, c, a, c, d}) in.Append(v);
    }
  return in;
}

// A large mesh's working blocks stay for the next mesh as large; once a small mesh is stripified after it the
// store keeps no more than its reserve (the store's own count: the address sanitizer's allocator holds freed
// memory back, so the resident set would not show it).
TEST(StripScratch, ASmallMeshAfterALargeOneLeavesTheReserve) {
  OnFreshThread([] {
    ScratchStore& store = *ScratchStore::ThisThreadWorking();
    const Array<int32_t> large = Grid(600, 250), small = Grid(20, 10);
    Array<int32_t> lengths, out;
    ASSERT_TRUE(StripifyTriangles(large, lengths, out));
    const size_t keptLarge = store.KeptBytes();
    ASSERT_GT(keptLarge, ScratchStore::kReserve);
    ASSERT_TRUE(StripifyTriangles(large, lengths, out));
    EXPECT_EQ(store.KeptBytes(), keptLarge);
    ASSERT_TRUE(StripifyTriangles(small, lengths, out));
    EXPECT_LE(store.KeptBytes(), ScratchStore::kReserve);
  });
}

// A call gives every working array back and the next call on a mesh of the same size takes them again, so the
// store neither grows from call to call nor hands a call memory it has to map afresh.
TEST(StripScratch, StripifyingAgainTakesTheBlocksTheLastCallGaveBack) {
  OnFreshThread([] {
    // 40,000 triangles: the face records alone take 1.2 MB.
    Array<int32_t> in;
    for (int32_t y = 0; y < 100; ++y)
      for (int32_t x = 0; x < 200; ++x) {
        int32_t a = y * 201 + x, b = a + 1, c = a + 202, d = a + 201;
        for (int32_t v : {a, b, c, a, c, d}) in.Append(v);
      }
    ScratchStore& store = *ScratchStore::ThisThreadWorking();
    std::vector<int32_t> first;
    size_t keptBytes = 0, keptBlocks = 0;
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      Array<int32_t> lengths, out;
      ASSERT_TRUE(StripifyTriangles(in, lengths, out));
      std::vector<int32_t> now(out.begin(), out.end());
      if (round == 0) {
        first = now;
        keptBytes = store.KeptBytes();
        keptBlocks = store.KeptBlocks();
        EXPECT_GE(keptBytes, size_t(40000) * (32 + 3 * 16));  // the faces and the edges at least
      }
      EXPECT_TRUE(now == first);
      EXPECT_EQ(store.KeptBytes(), keptBytes);
      EXPECT_EQ(store.KeptBlocks(), keptBlocks);
    }
  });
}

// A call's arrays may borrow room of its one working block: only the owner gives it back, once, and room borrowed
// is never handed out again while the owner holds it.
TEST(StripScratch, BorrowedRoomGoesBackWithItsOwnerOnly) {
  OnFreshThread([] {
    ScratchStore& store = *ScratchStore::ThisThreadWorking();
    StripBlock<char> owner;
    owner.Reset(4096);
    {
      StripBlock<int32_t> part;
      part.Reset(16);
      part.Borrow(reinterpret_cast<int32_t*>(owner.get() + 1024));  // gives its own block back first
      EXPECT_EQ(store.KeptBlocks(), 1u);
      EXPECT_EQ(part.Data(), reinterpret_cast<int32_t*>(owner.get() + 1024));
      part.Reset(0);
      EXPECT_EQ(store.KeptBlocks(), 1u);
    }
    EXPECT_EQ(store.KeptBlocks(), 1u);
    owner.Reset(0);
    EXPECT_EQ(store.KeptBlocks(), 2u);
  });
}

}  // namespace PM
