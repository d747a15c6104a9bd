// The thread's two stores of kept blocks: the rules that tell them apart (which kept block fits a request, which
// blocks are kept, how many), and their release by the thread's DLLDeInitialize.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

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

}  // namespace
}  // namespace PM::Test
