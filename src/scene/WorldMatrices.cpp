#include "scene/WorldMatrices.h"

#include <cstddef>
#include <vector>

#include "scene/NodeWalk.h"
#include "scene/TreeDepth.h"

namespace PM {

namespace {

struct Pending {
  TBaseTransform_I* node;
  const Matrix4f* parentWorld;
  int32_t depth;
};

// Where the fields the update reads end: a T-node's S-node, child list and world matrix lie together, as
// do an S-node's local matrix and its state. The classes are not standard-layout, which g++ lays out
// all the same; a wrong figure would only make the hint less useful.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
constexpr ptrdiff_t kTNodeHotEnd = ptrdiff_t(offsetof(TBaseTransform_I, m_worldMatrix) + sizeof(Matrix4f));
constexpr ptrdiff_t kSNodeHotEnd = ptrdiff_t(offsetof(SBaseTransform_I, m_localState) + sizeof(uint32_t));
#pragma GCC diagnostic pop
constexpr ptrdiff_t kListHotEnd = 64;  // the first eight entries; the rest follow in address order

// The nodes of a large tree lie far apart in memory, and a visit reads three blocks in a chain: the
// T-node, then its S-node and its child list. Waiting for each in turn was most of the update's time,
// so a visit asks ahead for its children's blocks (the T-nodes first, then what they point to), and
// the children's loads overlap instead of following one another.
// Prefetch asks for the lines of a block from its header (an object's class row is there) to `end`
// bytes into the payload.
void Prefetch(const void* payload, ptrdiff_t end) {
  const char* p = static_cast<const char*>(payload) - sizeof(BlockHeader);
  const char* last = static_cast<const char*>(payload) + end - 1;
  for (; p < last; p += 64) __builtin_prefetch(p);
  __builtin_prefetch(last);
}

void UpdateOne(TBaseTransform_I* t, const Matrix4f& parentWorld) {
  if (const SBaseTransform_I* cs = SNodeOf<SBaseTransform_I>(t)) {
    auto* s = const_cast<SBaseTransform_I*>(cs);
    const Matrix4f& world = s->ApplyLocalMatrix(parentWorld, t->m_worldMatrix);
    if (&world != &t->m_worldMatrix) t->m_worldMatrix = world;
  } else {
    t->m_worldMatrix = parentWorld;
  }
}

}  // namespace

void UpdateWorldMatrices(TBaseTransform_I* root, const Matrix4f& parentWorld) {
  std::vector<Pending> stack{{root, &parentWorld, 0}};
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    TBaseTransform_I* t = at.node;
    UpdateOne(t, *at.parentWorld);
    const int32_t count = t->ChildCount();
    if (count == 0) continue;
    if (at.depth + 1 == kMaxTreeDepth) {
      ReportTreeTooDeep("UpdateWorldMatrices", t->m_children[0].Get(), "not updated.");
      continue;
    }
    const Obj<TNode_I>* children = t->m_children.Data();
    for (int32_t i = 0; i < count; ++i)
      if (!children[i].IsNil()) Prefetch(children[i].Get(), kTNodeHotEnd);
    // Pushed last first, so they come off the stack in order: depth first, as a recursion would go.
    for (int32_t i = count; i-- > 0;) {
      TBaseTransform_I* c = As<TBaseTransform_I>(children[i].Get());
      if (!c) continue;
      if (!c->m_sNode.IsNil()) Prefetch(c->m_sNode.Get(), kSNodeHotEnd);
      if (c->ChildCount() > 0) Prefetch(c->m_children.Data(), kListHotEnd);
      stack.push_back({c, &t->m_worldMatrix, at.depth + 1});
    }
  }
}

}  // namespace PM
