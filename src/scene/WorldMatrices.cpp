#include "scene/WorldMatrices.h"

#include <array>
#include <cstddef>
#include <vector>

#include "core/FetchLines.h"
#include "scene/NodeWalk.h"
#include "scene/TreeDepth.h"
#include "scene/TreeShape.h"

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
  FetchLines<0>(static_cast<const char*>(payload) - sizeof(BlockHeader), sizeof(BlockHeader) + size_t(end));
}

// The second fetch: the T-node has arrived, so what it points to can be asked for.
void PrefetchReferents(TNode_I* node) {
  TBaseTransform_I* t = As<TBaseTransform_I>(node);
  if (!t) return;
  if (!t->m_sNode.IsNil()) Prefetch(t->m_sNode.Get(), kSNodeHotEnd);
  if (t->ChildCount() > 0) Prefetch(t->m_children.Data(), kListHotEnd);
}

// One visit of a kept order: the transform, its S-transform (null when it has none, so it takes its
// parent's matrix) and the matrix its parent's visit left (null for the root, which takes the caller's).
struct Visit {
  TBaseTransform_I* node;
  SBaseTransform_I* local;
  const Matrix4f* parentWorld;
};

Visit VisitOf(TBaseTransform_I* t, const Matrix4f* parentWorld) {
  return {t, SNodeOf<SBaseTransform_I>(t), parentWorld};
}

void Apply(const Visit& v, const Matrix4f& parentWorld) {
  TBaseTransform_I* t = v.node;
  if (v.local) {
    const Matrix4f& world = v.local->ApplyLocalMatrix(parentWorld, t->m_worldMatrix);
    if (&world != &t->m_worldMatrix) t->m_worldMatrix = world;
  } else {
    t->m_worldMatrix = parentWorld;
  }
}

// The order of a tree's visits, kept from the walk that found it while no parent/child link or S-node
// has changed anywhere since (the tree-shape version then still holds). Replayed, it gives every matrix
// the walk would, and it reads neither class rows nor child lists: only the lines of each visit's world
// matrix and local matrix, streaming in order through the list.
struct KeptOrder {
  const TBaseTransform_I* root = nullptr;  // null: nothing kept
  uint64_t version = 0;
  uint64_t lastUse = 0;
  // The root's order ran past kMaxKeptVisits: its updates walk without taking notes, rather than
  // filling and dropping a list that large every time.
  bool tooLarge = false;
  std::vector<Visit> visits;
};
// A few trees per thread (a frame may update several roots); an order of more visits than this is not
// kept, so a thread holds at most a few tens of MB for them.
constexpr size_t kKeptOrders = 4;
constexpr size_t kMaxKeptVisits = size_t(1) << 20;
// Visits between the fetch of a kept visit's lines and the visit.
constexpr size_t kReplayAhead = 8;

thread_local std::array<KeptOrder, kKeptOrders> t_kept;
thread_local uint64_t t_useClock = 0;

// The lines of [from, to): some four a visit, eight visits ahead.
void PrefetchRange(const void* from, const void* to) {
  FetchLines<0>(from, size_t(static_cast<const char*>(to) - static_cast<const char*>(from)));
}

void Replay(const std::vector<Visit>& visits, const Matrix4f& parentWorld) {
  Apply(visits[0], parentWorld);
  const size_t n = visits.size();
  for (size_t i = 1; i < n; ++i) {
    if (i + kReplayAhead < n) {
      const Visit& ahead = visits[i + kReplayAhead];
      PrefetchRange(&ahead.node->m_worldMatrix, &ahead.node->m_worldMatrix + 1);
      if (ahead.local) PrefetchRange(&ahead.local->m_localMatrix, &ahead.local->m_localState + 1);
    }
    Apply(visits[i], *visits[i].parentWorld);
  }
}

// The slot of `root`: the one it had, else an empty one or the one used longest ago, emptied.
KeptOrder& KeptOrderOf(const TBaseTransform_I* root) {
  KeptOrder* pick = nullptr;
  for (KeptOrder& k : t_kept) {
    if (root && k.root == root) {
      pick = &k;
      break;
    }
    if (!pick || (pick->root && (!k.root || k.lastUse < pick->lastUse))) pick = &k;
  }
  if (pick->root != root) {
    pick->root = nullptr;
    pick->tooLarge = false;
    pick->visits.clear();
  }
  pick->lastUse = ++t_useClock;
  return *pick;
}

// What became of the notes a walk took.
enum class Notes { kWhole, kCut, kTooMany };

}  // namespace

namespace {

// The nodes of a large tree lie far apart in memory, and a visit reads three blocks in a chain: the
// T-node, then its S-node and its child list. Waiting for each in turn was most of the update's time.
// Level by level, every node's parent is done before it and the nodes waiting are known far ahead, so
// the walk fetches each waiting node's blocks a fixed number of visits before it gets there, and the
// loads of many nodes overlap instead of following one another. A node's result depends only on its
// parent's, so the order leaves every matrix as a depth-first walk would.
// With `record`, the walk also notes each visit there, and answers whether the notes are the whole order;
// a tree cut at the depth bound, or one of too many visits, is not kept.
Notes Walk(std::vector<Pending>& queue, TBaseTransform_I* root, const Matrix4f& parentWorld,
           std::vector<Visit>* record) {
  Notes notes = Notes::kWhole;
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
    const Visit v = VisitOf(t, p.parentWorld);
    Apply(v, *p.parentWorld);
    if (record && record->size() == kMaxKeptVisits) {
      record = nullptr;
      notes = Notes::kTooMany;
    }
    if (record) record->push_back({t, v.local, record->empty() ? nullptr : p.parentWorld});
    const int32_t count = t->ChildCount();
    if (count == 0) continue;
    if (depth + 1 == kMaxTreeDepth) {
      ReportTreeTooDeep("UpdateWorldMatrices", t->m_children[0].Get(), "not updated.");
      if (record) notes = Notes::kCut;  // the report is the walk's to make on every update
      record = nullptr;
      continue;
    }
    for (const Obj<TNode_I>& c : t->m_children) {
      if (c.IsNil()) continue;
      // A node joining close behind the visits would miss the fetches ahead: it gets them now.
      if (queue.size() < at + 2 * kAhead) Prefetch(c.Get(), kTNodeHotEnd);
      queue.push_back({c.Get(), &t->m_worldMatrix});
    }
  }
  return notes;
}

}  // namespace

// The first update of a tree's shape walks it and keeps the order of its visits; the next ones replay
// that order for as long as the shape holds.
void UpdateWorldMatrices(TBaseTransform_I* root, const Matrix4f& parentWorld) {
  if (t_queueBusy) {  // a walk started from within a walk takes a queue of its own and keeps nothing
    std::vector<Pending> own;
    Walk(own, root, parentWorld, nullptr);
    return;
  }
  const uint64_t version = TreeShapeVersion();
  KeptOrder& kept = KeptOrderOf(root);
  if (kept.root && !kept.tooLarge && kept.version == version) return Replay(kept.visits, parentWorld);
  t_queueBusy = true;
  if (kept.tooLarge) {
    Walk(t_queue, root, parentWorld, nullptr);
  } else {
    kept.visits.clear();
    const Notes notes = Walk(t_queue, root, parentWorld, &kept.visits);
    kept.tooLarge = notes == Notes::kTooMany;
    kept.root = notes == Notes::kCut || kept.visits.empty() ? nullptr : root;
    kept.version = version;
    if (notes == Notes::kTooMany) std::vector<Visit>().swap(kept.visits);
    if (notes == Notes::kCut) kept.visits.clear();
  }
  if (t_queue.capacity() > kQueueKept) std::vector<Pending>().swap(t_queue);
  t_queueBusy = false;
}

}  // namespace PM
