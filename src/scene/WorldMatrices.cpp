#include "scene/WorldMatrices.h"

#include <cstddef>
#include <vector>

#include "scene/NodeWalk.h"
#include "scene/TreeDepth.h"

namespace PM {

namespace {

// A node waiting for its visit: a child as its parent lists it (its class is looked at only when the
// lines it lies on have been fetched), and the parent's world matrix. The queue holds one level after
// another, so the level is counted rather than stored.
struct Pending {
  TNode_I* node;
  const Matrix4f* parentWorld;
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

// Visits between the fetch of a waiting node's T-node and the fetch of what it points to (its S-node
// and child list), and again between that and the visit: enough for a main-memory load to arrive
// while the visits in between run, few enough that the lines are still cached when used.
constexpr size_t kAhead = 4;
constexpr size_t kCompactAfter = 4096;
// The queue's room stays with its thread from one update to the next, up to this many entries: a large
// tree's queue runs to megabytes, and fresh from the system each time it cost a page fault every few
// visits. Beyond it the room is given back after the update.
constexpr size_t kQueueKept = size_t(1) << 18;

thread_local std::vector<Pending> t_queue;
thread_local bool t_queueBusy = false;  // a walk started from within a walk takes a queue of its own

// Asks for the lines of a block from its header (an object's class row is there) to `end` bytes into
// the payload.
void Prefetch(const void* payload, ptrdiff_t end) {
  const char* p = static_cast<const char*>(payload) - sizeof(BlockHeader);
  const char* last = static_cast<const char*>(payload) + end - 1;
  for (; p < last; p += 64) __builtin_prefetch(p);
  __builtin_prefetch(last);
}

// The second fetch: the T-node has arrived, so what it points to can be asked for.
void PrefetchReferents(TNode_I* node) {
  TBaseTransform_I* t = As<TBaseTransform_I>(node);
  if (!t) return;
  if (!t->m_sNode.IsNil()) Prefetch(t->m_sNode.Get(), kSNodeHotEnd);
  if (t->ChildCount() > 0) Prefetch(t->m_children.Data(), kListHotEnd);
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

// The nodes of a large tree lie far apart in memory, and a visit reads three blocks in a chain: the
// T-node, then its S-node and its child list. Waiting for each in turn was most of the update's time.
// Level by level, every node's parent is done before it and the nodes waiting are known far ahead, so
// the walk fetches each waiting node's blocks a fixed number of visits before it gets there, and the
// loads of many nodes overlap instead of following one another. A node's result depends only on its
// parent's, so the order leaves every matrix as a depth-first walk would.
void UpdateWorldMatrices(TBaseTransform_I* root, const Matrix4f& parentWorld) {
  std::vector<Pending> own;
  const bool reuse = !t_queueBusy;
  std::vector<Pending>& queue = reuse ? t_queue : own;
  t_queueBusy = true;
  queue.clear();
  queue.push_back({root, &parentWorld});
  int32_t depth = 0;
  size_t levelEnd = 1;  // where the level being visited ends in the queue
  for (size_t at = 0; at < queue.size(); ++at) {
    if (at == levelEnd) {  // the level is done, and every node of the next one is in
      ++depth;
      levelEnd = queue.size();
    }
    // The visited front is dropped now and then, so the queue is only as long as the widest levels; the
    // entries moved add up to fewer than the visits.
    if (at >= kCompactAfter && 2 * at >= queue.size()) {
      queue.erase(queue.begin(), queue.begin() + ptrdiff_t(at));
      levelEnd -= at;
      at = 0;
    }
    if (at + 2 * kAhead < queue.size()) Prefetch(queue[at + 2 * kAhead].node, kTNodeHotEnd);
    if (at + kAhead < queue.size()) PrefetchReferents(queue[at + kAhead].node);
    const Pending p = queue[at];
    TBaseTransform_I* t = As<TBaseTransform_I>(p.node);
    if (!t) continue;  // a child that is not a transform ends its branch
    UpdateOne(t, *p.parentWorld);
    const int32_t count = t->ChildCount();
    if (count == 0) continue;
    if (depth + 1 == kMaxTreeDepth) {
      ReportTreeTooDeep("UpdateWorldMatrices", t->m_children[0].Get(), "not updated.");
      continue;
    }
    for (const Obj<TNode_I>& c : t->m_children) {
      if (c.IsNil()) continue;
      // A node joining close behind the visits would miss the fetches ahead: it gets them now.
      if (queue.size() < at + 2 * kAhead) Prefetch(c.Get(), kTNodeHotEnd);
      queue.push_back({c.Get(), &t->m_worldMatrix});
    }
  }
  if (reuse) {
    if (queue.capacity() > kQueueKept) std::vector<Pending>().swap(queue);
    t_queueBusy = false;
  }
}

}  // namespace PM
