// Counts change only by interlocked operations: two threads sharing one block leave it exact.
#include <thread>

#include "core/Obj.h"
#include "core/String.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

struct Payload {
  int value;
};

TEST(CountedMemoryThreads, SharedStringAndObjCountsStayExact) {
  long live = LiveBlockCount();
  {
    String shared("shared text");
    Obj<Payload> obj(NewCounted<Payload>());
    auto work = [&] {
      for (int i = 0; i < 1000000; ++i) {
        String copy = shared;
        Obj<Payload> o = obj;
        if (copy.Length() != 11 || o.IsNil()) std::abort();
      }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(BlockRefCount(shared.CStr()), 1);
    EXPECT_EQ(BlockRefCount(obj.Get()), 1);
  }
  EXPECT_EQ(LiveBlockCount(), live);
}

TEST(CountedMemoryThreads, WeakTargetIsCreatedOnceUnderRace) {
  Obj<Payload> obj(NewCounted<Payload>());
  WeakObjTarget* seen[2] = {};
  std::thread a([&] { seen[0] = BlockWeakTarget(obj.Get()); });
  std::thread b([&] { seen[1] = BlockWeakTarget(obj.Get()); });
  a.join();
  b.join();
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_EQ(seen[0]->object, obj.Get());
}

}  // namespace
}  // namespace PM
