// A chain of counted objects, each the last holder of the next, goes with its head in bounded stack.
#include <vector>

#include "core/Obj.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using BlockChain = Test::BlockCheckedTest;

struct Link {
  static std::vector<int>* order;
  int id = 0;
  Obj<Link> next;
  ~Link() {
    if (order) order->push_back(id);
  }
};
std::vector<int>* Link::order = nullptr;

void DestroyLink(void* p) {
  static_cast<Link*>(p)->~Link();
  ObjBlockDestruct(p);
}
const TypeRecord& LinkType() {
  static TypeRecord t("ChainLink", sizeof(Link), DestroyLink);
  return t;
}

Obj<Link> MakeChain(int length) {
  Obj<Link> head;
  for (int i = length - 1; i >= 0; --i) {
    Obj<Link> link(new (BlockNewObject(sizeof(Link), &LinkType())) Link);
    link->id = i;
    link->next = head;
    head = link;
  }
  return head;
}

TEST_F(BlockChain, AMillionLinksGoWithTheirHead) {
  Obj<Link> head = MakeChain(1000000);
  head.Clear();  // one recursion per link would run out of stack long before
}

// Short chains go at once, head first; a long one has gone entirely when the release returns.
TEST_F(BlockChain, DestructionOrder) {
  std::vector<int> order;
  Link::order = &order;
  Obj<Link> head = MakeChain(100);
  head.Clear();
  std::vector<int> expected(100);
  for (int i = 0; i < 100; ++i) expected[size_t(i)] = i;
  EXPECT_EQ(order, expected);
  order.clear();
  head = MakeChain(5000);
  head.Clear();
  EXPECT_EQ(order.size(), 5000u);
  Link::order = nullptr;
}

}  // namespace
}  // namespace PM
