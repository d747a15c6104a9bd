// Counted blocks, type records, Obj/Ptr/WeakObj and the out-of-memory path.
#include <sys/wait.h>

#include <vector>

#include "core/Array.h"
#include "core/Obj.h"
#include "core/String.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using Test::BlockCheckedTest;
using CountedMemory = BlockCheckedTest;

struct Probe {
  static std::vector<int>* order;
  int id;
  ~Probe() {
    if (order) order->push_back(id);
  }
};
std::vector<int>* Probe::order = nullptr;

void DestroyProbe(void* p) {
  static_cast<Probe*>(p)->~Probe();
  ObjBlockDestruct(p);
}
const TypeRecord& ProbeType() {
  static TypeRecord t("Probe", sizeof(Probe), DestroyProbe);
  return t;
}
Probe* NewProbe(int id) {
  auto* p = new (BlockNewObject(sizeof(Probe), &ProbeType())) Probe;
  p->id = id;
  return p;
}

TEST_F(CountedMemory, NewObjectStartsAtZeroAndFirstObjMakesOne) {
  std::vector<int> order;
  Probe::order = &order;
  Probe* p = NewProbe(7);
  EXPECT_EQ(BlockRefCount(p), 0);
  {
    Obj<Probe> a(p);
    EXPECT_EQ(BlockRefCount(p), 1);
    Obj<Probe> b = a;
    EXPECT_EQ(BlockRefCount(p), 2);
    a = b;  // self-assignment through another holder keeps the count
    EXPECT_EQ(BlockRefCount(p), 2);
  }
  EXPECT_EQ(order, std::vector<int>{7});
  Probe::order = nullptr;
}

TEST_F(CountedMemory, TypeRecordsOfOneNameShareAnId) {
  static TypeRecord a("SharedName", 4, nullptr), b("SharedName", 4, nullptr), c("OtherName", 4, nullptr);
  EXPECT_EQ(a.id, b.id);
  EXPECT_NE(a.id, c.id);
  EXPECT_STREQ(TypeNameOf(c.id), "OtherName");
  EXPECT_STREQ(TypeNameOf(0), "???");
}

TEST_F(CountedMemory, EmptyObjHoldsNilAndPtrMayBeNull) {
  Obj<Probe> o;
  EXPECT_TRUE(o.IsNil());
  EXPECT_NE(o.Get(), nullptr);
  Ptr<Probe> p;
  EXPECT_EQ(p.Get(), nullptr);
  Obj<Probe> fromNull(static_cast<Probe*>(nullptr));
  EXPECT_TRUE(fromNull.IsNil());
  EXPECT_GE(BlockRefCount(NilObject()), kImmortalRefs / 2);
}

// The shared immortal blocks are back at their count once what was made from them is dropped, and a block an
// array makes for itself starts with exactly the array's reference.
TEST_F(CountedMemory, ImmortalCountsComeBackAndFreshArraysHoldOne) {
  const int32_t nil = BlockRefCount(NilObject()), none = BlockRefCount(NullArrayPayload());
  String empty;
  const int32_t blank = BlockRefCount(empty.CStr());
  {
    Obj<Probe> a, b(static_cast<Probe*>(nullptr)), c = a;
    String s1, s2 = empty, s3("");
    Array<int> e1, e2 = e1;
    std::vector<Obj<Probe>> many(100);
  }
  EXPECT_EQ(BlockRefCount(NilObject()), nil);
  EXPECT_EQ(BlockRefCount(NullArrayPayload()), none);
  EXPECT_EQ(BlockRefCount(empty.CStr()), blank);

  Array<int> grown;
  grown.Append(1);
  EXPECT_EQ(BlockRefCount(grown.Data()), 1);
  for (int i = 0; i < 100; ++i) grown.Append(i);
  EXPECT_EQ(BlockRefCount(grown.Data()), 1);
  Array<int> copy = grown, listed{1, 2, 3};
  EXPECT_EQ(BlockRefCount(copy.Data()), 1);
  EXPECT_EQ(BlockRefCount(listed.Data()), 1);
  copy.Reserve(1000);
  EXPECT_EQ(BlockRefCount(copy.Data()), 1);
}

TEST_F(CountedMemory, WeakObjReadsNilAfterDeath) {
  WeakObj<Probe> w;
  EXPECT_TRUE(w.IsNil());
  {
    Obj<Probe> o(NewProbe(1));
    w = o.Get();
    EXPECT_EQ(w.Get(), o.Get());
    WeakObj<Probe> w2(o.Get());  // the same target is reused
    EXPECT_EQ(w2.Get(), o.Get());
  }
  EXPECT_TRUE(w.IsNil());
  EXPECT_TRUE(w.Lock().IsNil());
}

TEST_F(CountedMemory, ArrayElementsDestroyedLastToFirst) {
  std::vector<int> order;
  Probe::order = &order;
  {
    Array<Obj<Probe>> a;
    for (int i = 0; i < 5; ++i) a.Append(Obj<Probe>(NewProbe(i)));
  }
  EXPECT_EQ(order, (std::vector<int>{4, 3, 2, 1, 0}));
  Probe::order = nullptr;
}

TEST_F(CountedMemory, ArrayCapacitiesFollowTheGrowthRule) {
  Array<int> a;
  EXPECT_EQ(a.Data(), NullArrayPayload());
  std::vector<int> caps;
  for (int i = 0; i < 160; ++i) {
    int before = a.Capacity();
    a.Append(i);
    if (a.Capacity() != before) caps.push_back(a.Capacity());
  }
  EXPECT_EQ(caps, (std::vector<int>{4, 8, 16, 28, 44, 68, 104, 160}));
  for (int i = 0; i < 160; ++i) ASSERT_EQ(a[i], i);
}

TEST_F(CountedMemory, ArrayCopyRemoveAndCounts) {
  Array<String> a;
  for (const char* s : {"a", "b", "c", "d", "e"}) a.Append(s);
  Array<String> b = a;  // a copy is a new block sized to the count
  EXPECT_FALSE(b.SameBlock(a));
  EXPECT_EQ(b.Capacity(), 5);
  b.Remove(1, 2);
  EXPECT_EQ(b.Count(), 3);
  EXPECT_TRUE(b[1] == "d");
  b.Remove(1, -1);  // -1: to the end
  EXPECT_EQ(b.Count(), 1);
  b.Remove(5, 1);  // past the end: nothing
  b.Remove(0, 0);
  EXPECT_EQ(b.Count(), 1);
  int cap = a.Capacity();
  a.SetCount(0);  // keeps the capacity
  EXPECT_EQ(a.Capacity(), cap);
  a.Grow(3);
  EXPECT_TRUE(a[2].IsEmpty());
  a.Clear();
  EXPECT_EQ(a.Data(), NullArrayPayload());

  Array<int> f;
  f.SetCountFill(6, 9);
  f.SetCountFill(2, 1);  // never shrinks
  EXPECT_EQ(f.Count(), 6);
  EXPECT_EQ(f[5], 9);

  Array<Obj<Probe>> objs;
  objs.GrowTo(3);
  EXPECT_TRUE(objs[2].IsNil());
}

TEST_F(CountedMemory, ArrayAppendOfOwnElementSurvivesGrowth) {
  Array<String> a;
  a.Append("first");
  for (int i = 0; i < 40; ++i) a.Append(a[0]);
  EXPECT_EQ(a.Count(), 41);
  EXPECT_TRUE(a[40] == "first");
}

// A block another owner also holds: growing copies the elements into a new block and leaves the old one,
// elements and all, to that owner (it was freed under it before).
TEST_F(CountedMemory, GrowingASharedBlockLeavesItToTheOtherOwner) {
  Array<String> a{"kept", "also"};
  ASSERT_EQ(a.Capacity(), a.Count());  // full: the next append grows
  String* shared = a.Data();
  BlockAddRef(shared);
  for (int i = 0; i < 10; ++i) a.Append("more");
  ASSERT_NE(a.Data(), shared);
  EXPECT_EQ(BlockRefCount(shared), 1);
  EXPECT_EQ(HeaderOf(shared)->count, 2);
  EXPECT_TRUE(shared[0] == "kept" && shared[1] == "also");
  EXPECT_TRUE(a[0] == "kept" && a[1] == "also" && a[11] == "more");
  BlockRelease(shared);  // the other owner lets go: the strings a copied stay
  EXPECT_TRUE(a[0] == "kept");
}

bool FailBig(size_t bytes) { return bytes > (size_t(1) << 20); }

void AllocateTooMuch(void*) {
  SetAllocFailHook(FailBig);
  SetOutOfMemoryReporter([](const char*) {});
  Array<char> a;
  a.SetCountFill(4 << 20, 'x');  // fails through the hook
}

TEST(CountedMemoryDeath, OutOfMemoryEndsTheProcessWith247) {
  int status = PM::Test::RunInChild(AllocateTooMuch);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 247);
}

}  // namespace
}  // namespace PM
