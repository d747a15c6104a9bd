// The per-thread store of released subdivision blocks: which blocks it keeps and gives back, its cap,
// its release (also by the thread's DLLDeInitialize), and levels built in kept blocks equal to levels built in fresh
// memory, byte for byte. Each case runs on a thread of its own, so it starts from an empty store and ends with the
// thread's.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "core/StartUp.h"
#include "geometry/SubDivScratch.h"
#include "geometry/SubDivTestMesh.h"
#include "geometry/SubDivWeightPool.h"

namespace PM::Test {
namespace {

// Well above the size the store keeps from, so a little less still counts as large.
constexpr size_t kLarge = 2 * SubDivScratch::kKeepFrom;
constexpr int kLargeEdges = int(kLarge / sizeof(SubDivEdge));

template <class Fn>
void OnThread(Fn&& fn) {
  std::thread t(std::forward<Fn>(fn));
  t.join();
}

// An array with room for `count` records, holding one.
Array<SubDivEdge> EdgesOf(int count) {
  Array<SubDivEdge> a;
  a.Reserve(count);
  a.Append(SubDivEdge::Make(1, 2));
  return a;
}

TEST(SubDivScratch, KeepsLargeSoleBlocksAndGivesThemToFittingRequests) {
  OnThread([] {
    SubDivScratch& s = *SubDivScratch::ThisThread();
    struct Case {
      const char* what;
      int keptCount;
      bool shared;
      int askedCount;
      bool kept, reused;
    };
    const Case cases[] = {
        {"same size", kLargeEdges, false, kLargeEdges, true, true},
        {"asked for less, at least half", 2 * kLargeEdges, false, kLargeEdges + 3, true, true},
        {"asked for less than half", 4 * kLargeEdges, false, kLargeEdges, true, false},
        {"asked for more", kLargeEdges, false, kLargeEdges + 1, true, false},
        {"too small to keep", kLargeEdges / 8, false, kLargeEdges / 8, false, false},
        {"held elsewhere too", kLargeEdges, true, kLargeEdges, false, false},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      s.Release();
      Array<SubDivEdge> a = EdgesOf(c.keptCount);
      const SubDivEdge* block = a.Data();
      if (c.shared) BlockAddRef(block);
      s.Keep(a);
      EXPECT_TRUE(a.IsEmpty());
      EXPECT_EQ(s.KeptBlocks(), c.kept ? 1u : 0u);
      if (c.shared) {
        EXPECT_EQ(HeaderOf(block)->count, 1);  // the other holder keeps its records
        BlockRelease(block);
      }
      Array<SubDivEdge> b;
      s.Reserve(b, c.askedCount);
      // A block the store let go may come back from the allocator at the same address: only a kept one
      // is told by its address.
      if (c.kept) {
        EXPECT_EQ(b.Data() == block, c.reused);
      }
      EXPECT_EQ(s.KeptBlocks(), c.kept && !c.reused ? 1u : 0u);
      EXPECT_EQ(b.Count(), 0);
      EXPECT_GE(b.Capacity(), c.askedCount);
    }
    // A kept block is given for its own record type only.
    Array<SubDivEdge> edges = EdgesOf(kLargeEdges);
    s.Keep(edges);
    Array<SubDivFace> faces;
    s.Reserve(faces, int(kLarge / sizeof(SubDivFace)));
    EXPECT_EQ(s.KeptBlocks(), 1u);
  });
}

TEST(SubDivScratch, CapDropsTheOldestBlocksAndReleaseDropsAll) {
  OnThread([] {
    SubDivScratch& s = *SubDivScratch::ThisThread();
    EXPECT_EQ(s.Cap(), SubDivScratch::kDefaultCap);
    constexpr size_t kBlock = sizeof(SubDivEdge) * size_t(kLargeEdges);
    s.SetCap(3 * kBlock + kBlock / 2);
    std::vector<const void*> blocks;
    for (int i = 0; i < 4; ++i) {
      Array<SubDivEdge> a = EdgesOf(kLargeEdges);
      blocks.push_back(a.Data());
      s.Keep(a);
    }
    // Four blocks of the same size under a cap of three: the first is gone.
    EXPECT_EQ(s.KeptBlocks(), 3u);
    EXPECT_EQ(s.KeptBytes(), 3 * kBlock);
    std::vector<const void*> given;
    for (int i = 0; i < 3; ++i) {
      Array<SubDivEdge> b;
      s.Reserve(b, kLargeEdges);
      given.push_back(b.Data());
      s.Keep(b);  // back at the end, so the next request takes the next oldest
    }
    EXPECT_EQ(given, std::vector<const void*>(blocks.begin() + 1, blocks.end()));
    // A block larger than the cap is not kept at all; a lower cap drops blocks at once.
    Array<SubDivEdge> big = EdgesOf(4 * kLargeEdges);
    s.Keep(big);
    EXPECT_EQ(s.KeptBlocks(), 3u);
    s.SetCap(kBlock + kBlock / 2);
    EXPECT_EQ(s.KeptBlocks(), 1u);
    s.Release();
    EXPECT_EQ(s.KeptBlocks(), 0u);
    EXPECT_EQ(s.KeptBytes(), 0u);
    s.SetCap(SubDivScratch::kDefaultCap);
    // The thread's DLLDeInitialize releases them too, so its count of live blocks holds none.
    ASSERT_EQ(DLLInitialize(0), SOK);
    Array<SubDivEdge> kept = EdgesOf(kLargeEdges);
    s.Keep(kept);
    EXPECT_EQ(s.KeptBlocks(), 1u);
    DLLDeInitialize(0);
    EXPECT_EQ(s.KeptBlocks(), 0u);
  });
}

TEST(SubDivScratch, BuffersReuseKeptRoomAndSmallRoomIsFreed) {
  OnThread([] {
    SubDivScratch& s = *SubDivScratch::ThisThread();
    const void* first = nullptr;
    {
      SubDivScratchBuffer<int32_t> b(kLarge / sizeof(int32_t));
      EXPECT_TRUE(b.IsFresh());
      first = b.get();
      b[0] = 7;
    }
    EXPECT_EQ(s.KeptBlocks(), 1u);
    {
      SubDivScratchBuffer<int32_t> b(kLarge / sizeof(int32_t) - 1000);
      EXPECT_FALSE(b.IsFresh());
      EXPECT_EQ(static_cast<const void*>(b.get()), first);
      SubDivScratchBuffer<int32_t> moved(std::move(b));
      EXPECT_EQ(b.get(), nullptr);
      EXPECT_EQ(static_cast<const void*>(moved.get()), first);
    }
    EXPECT_EQ(s.KeptBlocks(), 1u);  // given back once, by the buffer it was moved to
    { SubDivScratchBuffer<int32_t> small(16); }
    EXPECT_EQ(s.KeptBlocks(), 1u);
  });
}

// Every byte of the three arrays.
template <class T>
std::vector<unsigned char> BytesOf(const Array<T>& a) {
  std::vector<unsigned char> b(sizeof(T) * size_t(a.Count()));
  if (!b.empty()) std::memcpy(b.data(), a.Data(), b.size());
  return b;
}
struct LevelBytes {
  std::vector<unsigned char> points, edges, faces;
  bool operator==(const LevelBytes&) const = default;
};
LevelBytes BytesOf(const SubDivStructure& s) { return {BytesOf(s.Points), BytesOf(s.Edges), BytesOf(s.Faces)}; }

TEST(SubDivScratch, LevelsBuiltInKeptBlocksEqualFreshOnesByteForByte) {
  OnThread([] {
    SubDivScratch& s = *SubDivScratch::ThisThread();
    const SubDivStructure base = BuildStructure(CubeSphere(20, 5));
    // Two steps and the projection, three times: the first in fresh memory, the others in the blocks
    // the one before released, dirty with its records.
    const void* lastPoints = nullptr;
    auto build = [&] {
      SubDivStructure b = base, one, two;
      b.SubDivide(one, "kept");
      one.SubDivide(two, "kept");
      EXPECT_TRUE(two.ProjectToLimit());
      std::vector<LevelBytes> levels = {BytesOf(b), BytesOf(one), BytesOf(two)};
      lastPoints = two.Points.Data();
      return levels;
    };
    const std::vector<LevelBytes> fresh = build();
    EXPECT_GT(s.KeptBlocks(), 0u);
    for (int round = 0; round < 2; ++round) {
      const void* before = lastPoints;
      EXPECT_TRUE(build() == fresh) << "round " << round;
      EXPECT_EQ(lastPoints, before) << "the last level's points come back in the block of the round before";
    }
  });
}

// The thread's resident set in bytes.
size_t ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
}

// Level 3 and its limit, step by step, the levels before it released.
SubDivStructure LevelThree(SubDivStructure& base) {
  SubDivStructure one, two, three;
  base.SubDivide(one, "test");
  one.SubDivide(two, "test");
  one.Clear();
  two.SubDivide(three, "test");
  two.Clear();
  three.ProjectToLimit();
  return three;
}

// A large mesh's blocks stay for the next refinement as large; once a small mesh is refined after it, step by
// step for as many calls as the store looks back on, the store keeps no more than its reserve, in its own count
// and, where the allocator hands memory back (not under the address sanitizer, which holds freed memory in
// quarantine), in the resident set.
TEST(SubDivScratch, ASmallRefinementAfterALargeOneLeavesTheReserve) {
  OnThread([] {
    SubDivScratch& s = *SubDivScratch::ThisThread();
    SubDivStructure large = BuildStructure(CubeSphere(24)), small = BuildStructure(Cube());
    const size_t before = ResidentBytes();
    LevelThree(large);
    const size_t keptLarge = s.KeptBytes();
    ASSERT_GT(keptLarge, SubDivScratch::kReserve);
    LevelThree(large);
    EXPECT_EQ(s.KeptBytes(), keptLarge);
    SubDivStructure last;
    for (int calls = 0; calls < ScratchStore::kRecentCalls; calls += 4) last = LevelThree(small);
    EXPECT_LE(s.KeptBytes(), SubDivScratch::kReserve);
#if !defined(__SANITIZE_ADDRESS__)
    // The small level and the allocator's own slack on top of the reserve.
    EXPECT_LE(ResidentBytes(), before + SubDivScratch::kReserve + (size_t(16) << 20));
#else
    (void)before;
#endif
  });
}

}  // namespace
}  // namespace PM::Test
