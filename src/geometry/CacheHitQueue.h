// The stripifier's greedy order by simulated cache hits: owners (left-over faces or strip pieces) ranked by how
// many of their vertex slots are in the cache, highest rank first and the lowest owner number on ties. A vertex
// entering or leaving the cache updates only what it touches; a vertex with many owners moves one shared count
// per group of owners instead of each owner, so the cost never grows with a vertex's valence.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/Array.h"
#include "geometry/LargePages.h"
#include "geometry/RankQueue.h"

namespace PM {

// For each vertex, the owners of its vertex slots in one array (an owner holding a vertex twice is listed
// twice), in the order the slots were given.
struct VertexOwners {
  Array<int32_t> start;  // vertex -> first entry; start[vertices] is the end
  Array<int32_t> owner;
  template <class ForEachSlot>
  VertexOwners(int vertices, int slots, ForEachSlot forEachSlot) {
    start.SetCountFill(vertices + 1, 0);
    // Plain pointers, held by value: a store through an array would have its address fetched again.
    int32_t* count = start.Data();
    forEachSlot([count](int32_t v, int32_t) { ++count[v + 1]; });
    for (int v = 0; v < vertices; ++v) count[v + 1] += count[v];
    owner.Reserve(slots);
    AdviseLargePages(owner.Data(), sizeof(int32_t) * size_t(slots));
    owner.SetCountForOverwrite(slots);
    Array<int32_t> at(start);
    int32_t *next = at.Data(), *out = owner.Data();
    forEachSlot([next, out](int32_t v, int32_t who) { out[next[v]++] = who; });
  }
  int Slots(int32_t v) const { return start[v + 1] - start[v]; }
};

class __attribute__((visibility("hidden"))) CacheHitQueue {
 public:
  // A vertex with more slots than this is heavy: its owners are grouped instead of updated one by one.
  static constexpr int kHeavySlots = 32;
  // An owner's rank is rankTable[rankRow[who] + hits], rising strictly with its hits; every owner starts with
  // 0 hits at rank 0. `ranks` bounds the table's values.
  CacheHitQueue(const VertexOwners& owners, int ownerCount, int ranks, const int32_t* rankTable,
                const Array<int32_t>& rankRow);

  // A vertex entered (+1) or left (-1) the cache; the ranks follow at the next Flush. Inline up to the test
  // that passes over a vertex without open owners, which is what most calls come to.
  void Moved(int32_t v, int delta) {
    if (m_heavy[v]) return MovedHeavy(v, delta);
    if (m_open[v] != 0) MovedLight(v, delta);
  }
  // The slots of a face of an owner just taken or removed: the caller tells each, so that a vertex whose
  // owners are all taken (most that leave the cache, in a cache order) is passed over without a look. The
  // vertices and the array are fetched once, where a store may alias either.
  void SlotsTaken(const int32_t (&face)[3]) {
    int32_t* open = m_open.Data();
    int32_t a = face[0], b = face[1], c = face[2];
    --open[a];
    --open[b];
    --open[c];
  }
  void Flush();
  // Removes and returns the owner of highest rank (lowest number on ties); -1 when none is left.
  int32_t Take();
  void Remove(int32_t who);

 private:
  // Owners sharing the same heavy vertices (with the same counts) and the same rank row: their order is that
  // of their light hits alone, so one inner queue holds them and one count holds their heavy hits.
  struct Group {
    Array<int32_t> members;  // owner numbers, ascending: a member's local number keeps their order
    Array<int32_t> heavy;    // heavy vertex, slots each member has at it; then the next pair
    RankQueue inner;
    int32_t heavyHits = 0;
    int64_t key = -1;  // its live entry in m_groupOrder, -1 when it has none
    Group(int ranks, int memberCount) : inner(ranks, memberCount) {}
  };
  int32_t RankOf(int32_t who, int32_t hits) const { return m_rankTable[m_rankRow[who] + hits]; }
  static int64_t Key(int32_t rank, int32_t who) {
    return (int64_t(INT32_MAX - rank) << 32) + who;
  }  // ascending = best first
  void Rekey(int32_t g);
  // Rekey's heap step for a group whose key changed, out of line: the few groups' scan (a fan's one group, a
  // crowded edge's) then saves no registers for it.
  __attribute__((noinline)) void OrderGroup(int32_t g, int64_t key);
  int32_t TopGroup();  // the group of the best grouped owner, -1 when no group has one
  void BuildGroups();
  void MovedLight(int32_t v, int delta);
  void MovedHeavy(int32_t v, int delta);
  void NoteChanged(Array<int32_t>& list, Array<uint8_t>& in, int32_t item) {
    if (!in[item]) in[item] = 1, list.Append(item);
  }

  const VertexOwners& m_owners;
  const int32_t* m_rankTable;
  const Array<int32_t>& m_rankRow;
  Array<uint8_t> m_heavy, m_taken;
  Array<int32_t> m_hits;                // light hits of each owner
  Array<int32_t> m_open;                // per vertex: slots of owners not taken
  Array<int32_t> m_groupOf, m_localOf;  // -1 / unused for owners without heavy vertices
  RankQueue m_light;                    // owners without heavy vertices
  std::vector<Group> m_groups;
  Array<int32_t> m_heavyAt;  // vertex -> its entry in m_groupsAt, -1 for a light vertex
  std::vector<std::vector<std::pair<int32_t, int32_t>>> m_groupsAt;  // (group, slots of each member there)
  // Min-heap of (Key of the group's best member, group); an entry whose group has been rekeyed since is
  // dropped when it surfaces, so a rekey costs one push and no allocation of its own.
  std::vector<std::pair<int64_t, int32_t>> m_groupOrder;
  bool m_scanGroups = false;  // few groups: no heap, TopGroup compares their keys
  Array<int32_t> m_changed, m_changedGroups;
  Array<uint8_t> m_inChanged, m_inChangedGroups;
};

}  // namespace PM
