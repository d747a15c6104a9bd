// The thread's two stores of kept blocks: the rules that tell them apart (which kept block fits a request, which
// blocks are kept, how many), what they keep when calls end, and their release by the thread's DLLDeInitialize.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "core/Block.h"
#include "core/StartUp.h"
#include "geometry/ScratchStore.h"

namespace PM::Test {
namespace {

template <class Fn>
void OnThread(Fn&& fn) {
  std::thread t(std::forward<Fn>(fn));
  t.join();
}

// Fresh raw room given to `s`, returned so a later take can be told by its address.
void* Give(ScratchStore& s, size_t bytes) {
  void* room = ScratchStore::NewRoom(bytes);
  s.KeepBytes(room, bytes);
  return room;
}

TEST(ScratchStore, WorkingBlocksFitAnyLargerRequestLastingOnesOnlyASnugOne) {
  constexpr size_t kBlock = size_t(1) << 20;
  struct Case {
    const char* what;
    size_t asked;
    bool lastingTakes, workingTakes;
  };
  const Case cases[] = {
      {"the block's size", kBlock, true, true},     {"half of it", kBlock / 2, true, true},
      {"under half", kBlock / 2 - 64, false, true}, {"a few bytes", 100, false, true},
      {"more than it", kBlock + 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchStore lasting(ScratchStore::kLastingRules), working(ScratchStore::kWorkingRules);
    for (auto [store, takes] : {std::pair{&lasting, c.lastingTakes}, std::pair{&working, c.workingTakes}}) {
      void* kept = Give(*store, kBlock);
      size_t got = 0;
      bool fresh = false;
      void* room = store->TakeBytes(c.asked, got, fresh);
      EXPECT_EQ(room == kept, takes);
      EXPECT_EQ(fresh, !takes);
      EXPECT_EQ(got, takes ? kBlock : (c.asked + 63) / 64 * 64);  // fresh room is whole cache lines
      EXPECT_EQ(reinterpret_cast<uintptr_t>(room) % ScratchStore::kAlign, 0u);
      store->KeepBytes(room, got);
    }
  }
  // Small room is kept only by the working store.
  ScratchStore lasting(ScratchStore::kLastingRules), working(ScratchStore::kWorkingRules);
  Give(lasting, 4096);
  Give(working, 4096);
  EXPECT_EQ(lasting.KeptBlocks(), 0u);
  EXPECT_EQ(working.KeptBlocks(), 1u);
}

TEST(ScratchStore, PastItsBlockCountTheOldestBlockGoes) {
  ScratchStore working(ScratchStore::kWorkingRules);
  std::vector<void*> given;
  for (size_t i = 0; i <= ScratchStore::kWorkingRules.mostBlocks; ++i) given.push_back(Give(working, 256));
  EXPECT_EQ(working.KeptBlocks(), ScratchStore::kWorkingRules.mostBlocks);
  EXPECT_EQ(working.KeptBytes(), 256 * ScratchStore::kWorkingRules.mostBlocks);
  // Of equal blocks the oldest kept is handed out first: the first one given is gone.
  size_t got = 0;
  bool fresh = true;
  void* room = working.TakeBytes(256, got, fresh);
  EXPECT_EQ(room, given[1]);
  EXPECT_FALSE(fresh);
  working.KeepBytes(room, got);
}

// What a call takes and gives back, as the store's users do: `kept` blocks go back when the call ends,
// the others stay with the caller (levels, released later). Returns how many takes were fresh.
struct Taken {
  void* room;
  size_t bytes;
};
int TakeAndGive(ScratchStore& s, const std::vector<size_t>& sizes, std::vector<Taken>* held = nullptr) {
  int fresh = 0;
  std::vector<Taken> taken;
  for (size_t bytes : sizes) {
    size_t got = 0;
    bool isFresh = false;
    void* room = s.TakeBytes(bytes, got, isFresh);
    fresh += isFresh;
    taken.push_back({room, got});
  }
  for (const Taken& t : taken)
    if (held)
      held->push_back(t);
    else
      s.KeepBytes(t.room, t.bytes);
  return fresh;
}

constexpr size_t kMB = size_t(1) << 20;
constexpr ScratchStore::Rules kSmallReserve{128 * kMB, 0, 64, false, kMB};

TEST(ScratchStore, AJobAsLargeAsTheLastFindsItsBlocksAndASmallOneLeavesTheReserve) {
  ScratchStore s(kSmallReserve);
  const std::vector<size_t> large{4 * kMB, 3 * kMB, 2 * kMB, 2 * kMB}, small{300 << 10};
  auto job = [&s](const std::vector<size_t>& sizes) {
    const ScratchStore::Call call(&s, ScratchStore::Call::kWholeJob);
    const ScratchStore::Call inner(&s);  // a step inside the job is part of it
    return TakeAndGive(s, sizes);
  };
  EXPECT_EQ(job(large), 4);
  EXPECT_EQ(s.KeptBytes(), 11 * kMB);
  EXPECT_EQ(job(large), 0);  // every block again, none freed in between
  EXPECT_EQ(job(large), 0);
  EXPECT_EQ(s.KeptBytes(), 11 * kMB);
  EXPECT_EQ(job(small), 1);
  EXPECT_EQ(s.KeptAfterCall(), kMB);
  EXPECT_EQ(s.KeptBytes(), size_t(300 << 10));  // the large job's blocks went, the oldest first
  // Without calls nothing is dropped but past the cap.
  EXPECT_EQ(TakeAndGive(s, large), 4);
  EXPECT_EQ(s.KeptBytes(), 11 * kMB + (300 << 10));
}

TEST(ScratchStore, StepsOfOneRefinementKeepTheirBlocksUntilAsManySmallCallsFollow) {
  ScratchStore s(kSmallReserve);
  // Four steps, each keeping a level (given back after the call) and giving back a table; no two sizes within
  // twice of each other, so each request has one block of its own.
  const size_t levels[] = {150 << 10, kMB, 6 * kMB, 40 * kMB}, tables[] = {64 << 10, 400 << 10, 5 * kMB / 2, 15 * kMB};
  size_t all = 0;
  for (int step = 0; step < 4; ++step) all += levels[step] + tables[step];
  for (int round = 0; round < 3; ++round) {
    std::vector<Taken> held;
    int fresh = 0;
    for (int step = 0; step < 4; ++step) {
      const ScratchStore::Call call(&s);
      fresh += TakeAndGive(s, {levels[step]}, &held) + TakeAndGive(s, {tables[step]});
    }
    EXPECT_EQ(fresh, round == 0 ? 8 : 0) << round;
    for (const Taken& t : held) s.KeepBytes(t.room, t.bytes);
    EXPECT_EQ(s.KeptBytes(), all) << round;
  }
  for (int call = 0; call < ScratchStore::kRecentCalls; ++call) {
    const ScratchStore::Call step(&s);
    TakeAndGive(s, {100 << 10});
  }
  EXPECT_LE(s.KeptBytes(), kMB);
}

TEST(ScratchStore, TheThreadsDeInitializeReleasesBothStores) {
  OnThread([] {
    ScratchStore& lasting = *ScratchStore::ThisThread();
    ScratchStore& working = *ScratchStore::ThisThreadWorking();
    ASSERT_NE(&lasting, &working);
    ASSERT_EQ(DLLInitialize(0), SOK);
    Give(lasting, ScratchStore::kKeepFrom);
    Give(working, 64);
    EXPECT_EQ(lasting.KeptBlocks(), 1u);
    EXPECT_EQ(working.KeptBlocks(), 1u);
    DLLDeInitialize(0);
    EXPECT_EQ(lasting.KeptBlocks(), 0u);
    EXPECT_EQ(working.KeptBlocks(), 0u);
  });
}

// Returning arrays: the block of an array handed on comes back to the lasting store of the thread whose owner
// lets it go last, and only then; copies and small arrays are plain; a block the store refuses is freed. Each
// case runs on a thread of its own, whose store starts empty.
constexpr int kReturningCount = int(ScratchStore::kKeepFrom / sizeof(int32_t));

TEST(ScratchStore, AReturningArrayComesBackWhenItsLastOwnerLetsGo) {
  OnThread([] {
    ScratchStore& s = *ScratchStore::ThisThread();
    const long live = LiveBlockCount();
    Array<int32_t> a;
    ScratchStore::ReserveReturning(a, kReturningCount);
    const int32_t* const block = a.Data();
    a.SetCountFill(kReturningCount, 7);
    {
      const Array<int32_t> copy = a;  // a block of its own, plain
      EXPECT_NE(copy.Data(), block);
    }
    Array<int32_t> small;
    ScratchStore::ReserveReturning(small, 16);
    small.Clear();
    EXPECT_EQ(s.KeptBlocks(), 0u) << "copies and small blocks go to the allocator";
    BlockAddRef(block);  // a second owner, as a script's reference would be
    a.Clear();
    EXPECT_EQ(s.KeptBlocks(), 0u) << "another owner still holds it";
    BlockReleaseArray(block);
    EXPECT_EQ(s.KeptBlocks(), 1u);
    EXPECT_EQ(s.KeptBytes(), ScratchStore::kKeepFrom);
    // The next request of its size takes it again, its pages in place, and it returns again.
    Array<int32_t> again;
    ScratchStore::ReserveReturning(again, kReturningCount);
    EXPECT_EQ(again.Data(), block);
    EXPECT_EQ(s.KeptBlocks(), 0u);
    again.Clear();
    EXPECT_EQ(s.KeptBlocks(), 1u);
    // Kept blocks are plain: releasing the store frees them rather than handing them back to it.
    s.Release();
    EXPECT_EQ(s.KeptBlocks(), 0u);
    EXPECT_EQ(LiveBlockCount(), live);
  });
}

TEST(ScratchStore, AReturningArrayGoesToTheStoreOfTheThreadThatLetsItGoOrIsFreed) {
  const long live = LiveBlockCount();
  OnThread([] {
    ScratchStore& s = *ScratchStore::ThisThread();
    Array<float> a;
    ScratchStore::ReserveReturning(a, kReturningCount);
    OnThread([&a] {
      a.Clear();
      EXPECT_EQ(ScratchStore::ThisThread()->KeptBlocks(), 1u);
    });
    EXPECT_EQ(s.KeptBlocks(), 0u);
    // A store that no longer keeps blocks of its size frees it.
    ScratchStore::ReserveReturning(a, kReturningCount);
    s.SetCap(ScratchStore::kKeepFrom / 2);
    const long before = LiveBlockCount();
    a.Clear();
    EXPECT_EQ(s.KeptBlocks(), 0u);
    EXPECT_EQ(LiveBlockCount(), before - 1);
  });
  // Each thread's end released what its store kept.
  EXPECT_EQ(LiveBlockCount(), live);
}

TEST(ScratchStore, AThreadThatOnlyLetsArraysGoKeepsTheReserveAtMost) {
  constexpr int kBlock = int((size_t(24) << 20) / sizeof(float));  // three of them pass the 64 MB reserve
  OnThread([] {
    std::vector<Array<float>> made(3);
    for (Array<float>& a : made) ScratchStore::ReserveReturning(a, kBlock);
    OnThread([&made] {
      ScratchStore& s = *ScratchStore::ThisThread();
      for (Array<float>& a : made) a.Clear();
      EXPECT_EQ(s.KeptBlocks(), 2u);
      EXPECT_LE(s.KeptBytes(), ScratchStore::kReserve);
    });
  });
}

// A take leaves its node for the next keep of the same kind: raw room and arrays of two element types, kept and
// taken in turn many times over, each come back as what was kept, never as another kind's block.
TEST(ScratchStore, KeepsAfterTakesReuseNodesOfTheirOwnKind) {
  ScratchStore store(ScratchStore::kWorkingRules);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    Array<int32_t> ints;
    Array<double> doubles;
    store.Reserve(ints, 100 + round);
    store.Reserve(doubles, 50 + round);
    size_t got = 0;
    bool fresh = false;
    void* raw = store.TakeBytes(4096, got, fresh);
    ints.SetCountFill(100 + round, round);
    doubles.SetCountFill(50 + round, 0.5);
    const int32_t* intRoom = ints.Data();
    const double* doubleRoom = doubles.Data();
    store.KeepBytes(raw, got);  // in an order other than the takes': each kind finds its own spare node
    store.Keep(doubles);
    store.Keep(ints);
    ASSERT_EQ(store.KeptBlocks(), 3u);
    Array<int32_t> ints2;
    Array<double> doubles2;
    store.Reserve(doubles2, 50);
    store.Reserve(ints2, 100);
    EXPECT_EQ(static_cast<const void*>(ints2.Data()), intRoom);
    EXPECT_EQ(static_cast<const void*>(doubles2.Data()), doubleRoom);
    EXPECT_EQ(store.TakeBytes(4000, got, fresh), raw);
    EXPECT_FALSE(fresh);
    store.KeepBytes(raw, got);
    store.Keep(ints2);
    store.Keep(doubles2);
    EXPECT_EQ(store.KeptBlocks(), 3u);
    store.Release();
  }
}

}  // namespace
}  // namespace PM::Test
