#include "geometry/CacheHitQueue.h"

#include <algorithm>
#include <functional>
#include <map>

namespace PM {

namespace {

// Up to this many groups the best is found by looking at each group's key rather than through a heap.
constexpr size_t kScanGroups = 8;

}  // namespace

CacheHitQueue::CacheHitQueue(const VertexOwners& owners, int ownerCount, int ranks, const int32_t* rankTable,
                             const Array<int32_t>& rankRow)
    : m_owners(owners), m_rankTable(rankTable), m_rankRow(rankRow), m_light(ranks, ownerCount) {
  m_taken.SetCountFill(ownerCount, 0);
  m_hits.SetCountFill(ownerCount, 0);
  m_groupOf.SetCountFill(ownerCount, -1);
  m_localOf.SetCountFill(ownerCount, 0);
  m_inChanged.SetCountFill(ownerCount, 0);
  // Each vertex's open slots and whether it is heavy, in one pass. Plain pointers: a byte store may alias the
  // arrays' own fields, which would be fetched again for each vertex.
  int vertices = owners.start.Count() - 1;
  m_open.SetCountForOverwrite(vertices);
  m_heavy.SetCountForOverwrite(vertices);
  int32_t* open = m_open.Data();
  uint8_t* heavy = m_heavy.Data();
  const int32_t* start = owners.start.Data();
  bool any = false;
  for (int v = 0; v < vertices; ++v) {
    open[v] = start[v + 1] - start[v];
    any |= (heavy[v] = open[v] > kHeavySlots) != 0;
  }
  if (any) BuildGroups();
}

// Owners with the same rank row and the same heavy vertices, each with the same slot count, form one group.
// Only with heavy vertices (m_heavy is set).
void CacheHitQueue::BuildGroups() {
  int vertices = m_owners.start.Count() - 1, owners = m_taken.Count();
  m_heavyAt.SetCountFill(vertices, -1);

  // Each owner's heavy slots, by vertex in ascending order (counting sort by owner). Plain pointers: a store
  // through one array may alias another's fields, which would be fetched again for each slot.
  Array<int32_t> at, heavyOf, slotsOf;
  at.SetCountFill(owners + 1, 0);
  slotsOf.SetCountFill(owners, 0);
  const int32_t* start = m_owners.start.Data();
  const int32_t* ownerOf = m_owners.owner.Data();
  const uint8_t* heavy = m_heavy.Data();
  {
    int32_t *slots = slotsOf.Data(), *heavyCount = at.Data() + 1;
    for (int32_t v = 0; v < vertices; ++v) {
      int32_t isHeavy = heavy[v] != 0;
      for (int k = start[v], end = start[v + 1]; k < end; ++k) {
        int32_t who = ownerOf[k];
        ++slots[who];
        heavyCount[who] += isHeavy;
      }
    }
    for (int o = 0; o < owners; ++o) heavyCount[o] += heavyCount[o - 1];
  }
  heavyOf.SetCountNoCopy(at[owners]);
  {
    Array<int32_t> fill(at);
    int32_t *next = fill.Data(), *out = heavyOf.Data();
    for (int32_t v = 0; v < vertices; ++v) {
      if (!heavy[v]) continue;
      for (int k = start[v], end = start[v + 1]; k < end; ++k) out[next[ownerOf[k]]++] = v;
    }
  }

  std::map<std::vector<int32_t>, int32_t> groupOfKey;
  std::vector<std::vector<int32_t>> keys;
  std::vector<int32_t> key;
  int32_t lastGroup = -1, lastOwner = -1;  // the group of the owner with heavy slots before, and that owner
  Array<int32_t> innerRanks;
  // Whether two owners have the same key: the same rank row and the same heavy slots, which are sorted by vertex,
  // so that equal keys are equal runs of slots.
  const int32_t *heavyAt = at.Data(), *heavySlot = heavyOf.Data(), *rankRow = m_rankRow.Data();
  auto sameKey = [heavyAt, heavySlot, rankRow](int32_t who, int32_t other) {
    int32_t from = heavyAt[who], count = heavyAt[who + 1] - from, otherFrom = heavyAt[other];
    if (rankRow[who] != rankRow[other] || count != heavyAt[other + 1] - otherFrom) return false;
    for (int32_t k = 0; k < count; ++k)
      if (heavySlot[from + k] != heavySlot[otherFrom + k]) return false;
    return true;
  };
  for (int32_t who = 0; who < owners; ++who) {
    if (at[who] == at[who + 1]) continue;
    // Neighbouring owners mostly share their group (a fan's faces all hold its centre): the last owner's slots
    // are compared before a key is built and the map searched.
    if (lastOwner >= 0 && sameKey(who, lastOwner)) {
      m_groupOf[who] = lastGroup;
      innerRanks[lastGroup] = std::max(innerRanks[lastGroup], slotsOf[who] - (at[who + 1] - at[who]) + 1);
      lastOwner = who;
      continue;
    }
    key.assign(1, m_rankRow[who]);
    for (int k = at[who]; k < at[who + 1]; ++k) {
      if (key.size() > 1 && key[key.size() - 2] == heavyOf[k]) {
        ++key.back();
      } else {
        key.push_back(heavyOf[k]);
        key.push_back(1);
      }
    }
    auto [it, fresh] = groupOfKey.try_emplace(key, int32_t(keys.size()));
    if (fresh) {
      keys.push_back(key);
      innerRanks.Append(0);
    }
    int32_t g = it->second;
    lastGroup = g;
    lastOwner = who;
    m_groupOf[who] = g;
    innerRanks[g] = std::max(innerRanks[g], slotsOf[who] - (at[who + 1] - at[who]) + 1);
  }
  Array<int32_t> memberCount;
  memberCount.SetCountFill(int(keys.size()), 0);
  for (int32_t who = 0; who < owners; ++who)
    if (m_groupOf[who] >= 0) m_localOf[who] = memberCount[m_groupOf[who]]++;
  m_groups.reserve(keys.size());
  for (size_t g = 0; g < keys.size(); ++g) {
    Group& group = m_groups.emplace_back(innerRanks[int(g)], memberCount[int(g)]);
    for (size_t k = 1; k < keys[g].size(); ++k) group.heavy.Append(keys[g][k]);
    for (int k = 0; k < group.heavy.Count(); k += 2) {
      int32_t v = group.heavy[k];
      if (m_heavyAt[v] < 0) {
        m_heavyAt[v] = int32_t(m_groupsAt.size());
        m_groupsAt.emplace_back();
      }
      m_groupsAt[size_t(m_heavyAt[v])].emplace_back(int32_t(g), group.heavy[k + 1]);
    }
  }
  for (int32_t who = 0; who < owners; ++who) {
    if (m_groupOf[who] < 0) continue;
    m_groups[size_t(m_groupOf[who])].members.Append(who);
    m_light.Remove(who);
  }
  m_inChangedGroups.SetCountFill(int(m_groups.size()), 0);
  m_scanGroups = m_groups.size() <= kScanGroups;
  for (size_t g = 0; g < m_groups.size(); ++g) Rekey(int32_t(g));
}

void CacheHitQueue::Rekey(int32_t g) {
  Group& group = m_groups[size_t(g)];
  int32_t local = group.inner.Peek();
  int64_t key = -1;
  if (local >= 0) {
    int32_t who = group.members[local];
    key = Key(RankOf(who, group.inner.Rank(local) + group.heavyHits), who);
  }
  if (key == group.key) return;
  group.key = key;
  if (!m_scanGroups) OrderGroup(g, key);
}

void CacheHitQueue::OrderGroup(int32_t g, int64_t key) {
  // The group's entry on top (the one just taken from, mostly) would be stale from now on: dropped at once, it
  // keeps the heap to about one entry per group when few groups take turns.
  if (!m_groupOrder.empty() && m_groupOrder.front().second == g) {
    std::pop_heap(m_groupOrder.begin(), m_groupOrder.end(), std::greater<>());
    m_groupOrder.pop_back();
  }
  if (key < 0) return;
  m_groupOrder.emplace_back(key, g);
  std::push_heap(m_groupOrder.begin(), m_groupOrder.end(), std::greater<>());
}

int32_t CacheHitQueue::TopGroup() {
  if (m_scanGroups) {
    int32_t top = -1;
    int64_t best = INT64_MAX;
    for (size_t g = 0; g < m_groups.size(); ++g) {
      int64_t key = m_groups[g].key;
      if (key >= 0 && key < best) best = key, top = int32_t(g);
    }
    return top;
  }
  while (!m_groupOrder.empty()) {
    auto [key, g] = m_groupOrder.front();
    if (m_groups[size_t(g)].key == key) return g;
    std::pop_heap(m_groupOrder.begin(), m_groupOrder.end(), std::greater<>());
    m_groupOrder.pop_back();
  }
  return -1;
}

void CacheHitQueue::MovedLight(int32_t v, int delta) {
  // Plain pointers: the flag is a byte store, which may alias anything, so the arrays' addresses would be
  // fetched again for each owner.
  const int32_t* owner = m_owners.owner.Data();
  const uint8_t* taken = m_taken.Data();
  int32_t* hits = m_hits.Data();
  uint8_t* in = m_inChanged.Data();
  for (int k = m_owners.start[v], end = m_owners.start[v + 1]; k < end; ++k) {
    int32_t who = owner[k];
    if (taken[who]) continue;
    hits[who] += delta;
    if (!in[who]) {
      in[who] = 1;
      m_changed.Append(who);
    }
  }
}

void CacheHitQueue::MovedHeavy(int32_t v, int delta) {
  for (auto [g, slots] : m_groupsAt[size_t(m_heavyAt[v])]) {
    m_groups[size_t(g)].heavyHits += delta * slots;
    NoteChanged(m_changedGroups, m_inChangedGroups, g);
  }
}

void CacheHitQueue::Flush() {
  for (int32_t who : m_changed) {
    m_inChanged[who] = 0;
    int32_t g = m_groupOf[who];
    if (g < 0) {
      m_light.Set(who, RankOf(who, m_hits[who]));
    } else {
      m_groups[size_t(g)].inner.Set(m_localOf[who], m_hits[who]);
      NoteChanged(m_changedGroups, m_inChangedGroups, g);
    }
  }
  if (m_changed.Count() > 0) m_changed.SetCount(0);
  for (int32_t g : m_changedGroups) {
    m_inChangedGroups[g] = 0;
    Rekey(g);
  }
  if (m_changedGroups.Count() > 0) m_changedGroups.SetCount(0);
}

int32_t CacheHitQueue::Take() {
  int32_t light = m_light.Peek();
  int64_t lightKey = light >= 0 ? Key(m_light.Rank(light), light) : INT64_MAX;
  int32_t g = TopGroup();
  if (g < 0 || lightKey < m_groups[size_t(g)].key) {
    if (light >= 0) m_taken[light] = 1;
    return light >= 0 ? m_light.Take() : -1;
  }
  int32_t who = m_groups[size_t(g)].members[m_groups[size_t(g)].inner.Take()];
  m_taken[who] = 1;
  Rekey(g);
  return who;
}

void CacheHitQueue::Remove(int32_t who) {
  m_taken[who] = 1;
  int32_t g = m_groupOf[who];
  if (g < 0) {
    m_light.Remove(who);
    return;
  }
  m_groups[size_t(g)].inner.Remove(m_localOf[who]);
  Rekey(g);
}

}  // namespace PM
