// Merges weight lists into one point through a table from base index to list position, so each entry
// costs one look-up rather than a search of the list. The entries, their order and every sum come out
// as SubDivPoint::AddScaled makes them.
#pragma once

#include <xmmintrin.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "geometry/SubDivPoint.h"

namespace PM {

class SubDivMerge {
 public:
  // Indices from 0 to indexLimit - 1 are looked up in the table; any other (a list that no check has
  // vetted) is searched for, as AddScaled does.
  explicit SubDivMerge(int32_t indexLimit)
      : m_slot(std::max(size_t(indexLimit > 0 ? indexLimit : 0), kNarrowIndices), kNone) {}

  // Starts merging into `target`, whose list is taken as it stands. Every Begin is closed by End
  // before the target is touched by anything else. Returns whether the target's indices are distinct
  // and all in the table, so that AddInPlace may take a list its entries were copied from.
  bool Begin(SubDivPoint& target);
  // Begin after target.CopyEntries(entries, count), in one sweep of the list.
  template <class Entry>
  bool BeginCopy(SubDivPoint& target, const Entry* entries, int count) {
    m_target = &target;
    target.weightCount = int8_t(count);
    bool distinct = true;  // as Begin
    const Table table = Local();
    for (int i = 0; i < count; ++i) {
      const SubDivWeight e = Widened(entries[i]);
      target.indices[i] = e.index;
      target.weights[i] = e.weight;
      table.Mark(e.index, i, distinct);
    }
    m_outside = !distinct;
    return distinct;
  }
  // The same from narrow entries, which the table covers all of: a slot's old value tells whether its
  // index came before, with no test of its range.
  bool BeginCopy(SubDivPoint& target, const SubDivNarrowWeight* entries, int count) {
    m_target = &target;
    target.weightCount = int8_t(count);
    int8_t* const slot = m_slot.data();
    int32_t* __restrict const indices = target.indices;
    float* __restrict const weights = target.weights;
    int met = 0;  // the positions + 1 of indices met twice, or'ed: 0 while they are distinct
#pragma GCC unroll 4
    for (int i = 0; i < count; ++i) {
      const uint16_t index = entries[i].index;
      indices[i] = index;
      weights[i] = entries[i].weight;
      met |= slot[index] + 1;
      slot[index] = int8_t(i);
    }
    m_outside = false;
    return met == 0;
  }
  // BeginCopy with every weight times `factor` (as Scale after the copy), the weights as they came
  // kept in `kept` side by side.
  template <class Entry>
  bool BeginCopyScaled(SubDivPoint& target, const Entry* entries, int count, float factor, float* kept) {
    const bool distinct = BeginCopy(target, entries, count);
    std::copy_n(target.weights, count, kept);
    target.Scale(factor);
    return distinct;
  }
  bool BeginCopyScaled(SubDivPoint& target, const SubDivNarrowWeight* entries, int count, float factor, float* kept) {
    m_target = &target;
    target.weightCount = int8_t(count);
    int8_t* const slot = m_slot.data();
    int32_t* __restrict const indices = target.indices;
    float* __restrict const weights = target.weights;
    float* __restrict const as = kept;
    int met = 0;  // as in BeginCopy
#pragma GCC unroll 4
    for (int i = 0; i < count; ++i) {
      const uint16_t index = entries[i].index;
      const float w = entries[i].weight;
      indices[i] = index;
      as[i] = w;
      weights[i] = w * factor;
      met |= slot[index] + 1;
      slot[index] = int8_t(i);
    }
    m_outside = false;
    return met == 0;
  }
  // BeginCopy for a caller that does not ask whether the indices are distinct: a narrow list is then
  // copied and marked without noting indices met twice (the table keeps the last position of each,
  // as BeginCopy's).
  template <class Entry>
  void BeginCopyPlain(SubDivPoint& target, const Entry* entries, int count) {
    BeginCopy(target, entries, count);
  }
  void BeginCopyPlain(SubDivPoint& target, const SubDivNarrowWeight* entries, int count) {
    m_target = &target;
    target.weightCount = int8_t(count);
    int8_t* const slot = m_slot.data();
    int32_t* __restrict const indices = target.indices;
    float* __restrict const weights = target.weights;
#pragma GCC unroll 4
    for (int i = 0; i < count; ++i) {
      const uint16_t index = entries[i].index;
      indices[i] = index;
      weights[i] = entries[i].weight;
      slot[index] = int8_t(i);
    }
    m_outside = false;
  }
  void AddScaled(const SubDivPoint& other, float factor) {
    Merge([&](auto&& find, auto&& placed) { m_target->MergeScaled(other, factor, find, placed); });
  }
  void Add(const SubDivPoint& other) { AddScaled(other, 1.0f); }
  // The same for a packed list of `count` entries (SubDivWeight or SubDivNarrowWeight).
  template <class Entry>
  void AddScaled(const Entry* other, int count, float factor) {
    Merge([&](auto&& find, auto&& placed) { m_target->MergeEntries(other, count, factor, find, placed); });
  }
  void AddScaled(const SubDivNarrowWeight* other, int count, float factor);
  // The same for a list whose entries the target mostly holds already: two entries a step, both looked
  // up before either is added, with one test for the two.
  void AddScaledHeld(const SubDivNarrowWeight* other, int count, float factor);
  template <class Entry>
  void AddScaledHeld(const Entry* other, int count, float factor) {
    AddScaled(other, count, factor);
  }
  // The target, the table and the list's count as locals of the caller, from a Begin to the End that
  // takes it: an append then stores the entry and its position with no call, and the stores into the
  // list and the table make the compiler fetch nothing again (not even the target, which it fetched
  // from the merge for every list). Entries past the room are counted and reported at the End, as a
  // call in the loop would make the compiler keep the factor in memory.
  struct Open {
    SubDivPoint* target;
    int8_t* slot;
    int count;
    int dropped;
    // One entry: added to its index's weight in `t` (the target), or appended.
    [[gnu::always_inline]] void Add(SubDivPoint& t, const SubDivNarrowWeight& e, float w) {
      const int s = slot[e.index];
      if (s >= 0) [[likely]]
        t.weights[s] += w;
      else
        Append(e, w);
    }
    [[gnu::always_inline]] void Append(const SubDivNarrowWeight& e, float w) {
      // The index is read again through a pointer the compiler cannot see through, so the loop keeps
      // no copy of it for this rare path.
      const SubDivNarrowWeight* again = &e;
      asm("" : "+r"(again));
      const uint16_t index = again->index;
      if (count < kSubDivMaxWeights) [[likely]] {
        target->indices[count] = index;
        target->weights[count] = w;
        slot[index] = int8_t(count);
        ++count;
      } else {
        ++dropped;
      }
    }
  };
  // The target of the last Begin as an Open.
  Open Opened() {
    SubDivPoint& t = *m_target;
    return {&t, m_slot.data(), t.weightCount, 0};
  }
  // AddScaled and AddScaledHeld through an Open.
  void AddScaled(Open& o, const SubDivNarrowWeight* other, int count, float factor);
  void AddScaledHeld(Open& o, const SubDivNarrowWeight* other, int count, float factor);
  template <class Entry>
  void AddScaled(Open& o, const Entry* other, int count, float factor) {
    m_target->weightCount = int8_t(o.count);
    AddScaled(other, count, factor);
    o.count = m_target->weightCount;
  }
  template <class Entry>
  void AddScaledHeld(Open& o, const Entry* other, int count, float factor) {
    AddScaled(o, other, count, factor);
  }
  // End of a merge through `o`: the count goes back to the target.
  void End(Open& o) {
    Close(o);
    End();
  }
  // End(o) with every weight then times `factor` (as Scale after it), in the sweep that clears the
  // table: the list is gone over once, its weights four lanes at a time, each the same one product.
  [[gnu::always_inline]] void End(Open& o, float factor) {
    Close(o);
    Finish<true, false>(factor, nullptr);
  }
  // End(o, factor) that also packs the list, as it comes out, into `packed` (room for the target's
  // count of entries), each index as 16 bits: for a target whose indices are known to fit them.
  [[gnu::always_inline]] void End(Open& o, float factor, SubDivNarrowWeight* packed) {
    Close(o);
    Finish<true, true>(factor, packed);
  }
  // The count and the overflow lines of `o` back to the target, which stays the merge's.
  void Close(const Open& o) {
    m_target->weightCount = int8_t(o.count);
    for (int i = 0; i < o.dropped; ++i) ReportSubDivWeightOverflow();
  }
  // AddScaled of a list whose indices are, in order, those of the target's first `count` entries,
  // after a Begin that found them distinct: the look-up would give entry j position j, and the list
  // brings nothing new, so each weight is added straight to its position.
  template <class Entry>
  void AddInPlace(const Entry* other, int count, float factor) {
    float* const weights = m_target->weights;
    for (int j = count - 1; j >= 0; --j) weights[j] += Widened(other[j]).weight * factor;
  }
  // The same from the list's weights alone, side by side, so the sums are made a vector at a time: each
  // position on its own, in the same steps as one by one.
  void AddInPlace(const float* weights, int count, float factor) {
    float* __restrict const to = m_target->weights;
    const float* __restrict const from = weights;
    for (int j = 0; j < count; ++j) to[j] += from[j] * factor;
  }
  // Clears the table for the next target; without a check of each index where every one is in it.
  void End() { Finish<false, false>(1.0f, nullptr); }

 private:
  static constexpr int8_t kNone = -1;
  // The table covers every 16-bit index, so narrow entries are looked up without a range check. Any
  // index the table covers merges as the search would: the table always holds the last position of
  // each index in the list.
  static constexpr size_t kNarrowIndices = size_t(1) << 16;
  // The table as locals for a sweep: its entries are bytes, whose stores would otherwise make the
  // compiler fetch the vector's pointers (and the list's count) again for every entry.
  struct Table {
    int8_t* slot;
    uint32_t size;
    // Notes that `index` is at position i; clears `distinct` for an index outside the table or met
    // before (the table is clear at a Begin, as End clears it).
    void Mark(int32_t index, int i, bool& distinct) const {
      if (uint32_t(index) < size) {
        distinct &= slot[index] == kNone;
        slot[index] = int8_t(i);
      } else {
        distinct = false;
      }
    }
    void Clear(int32_t index) const {
      if (uint32_t(index) < size) slot[index] = kNone;
    }
  };
  Table Local() { return {m_slot.data(), uint32_t(m_slot.size())}; }
  // The ends of a merge in one sweep of the list: its slots cleared, with kScale each weight times
  // `factor` (the one product Scale makes) and with kPack each entry written to `packed` as it comes out.
  // Where every index is in the table, the entries past a multiple of four go first (one, then two), then
  // four a turn: the compiler's own unrolled loop worked the remainder out from the pointers, a dozen
  // instructions a list. Otherwise each index is checked, then the list scaled and packed.
  template <bool kScale, bool kPack>
  [[gnu::noinline, gnu::cold]] void FinishChecked(float factor, SubDivNarrowWeight* packed) {
    SubDivPoint& t = *m_target;
    const int n = t.weightCount;
    const Table table = Local();
    for (int k = 0; k < n; ++k) table.Clear(t.indices[k]);
    if constexpr (kScale) t.Scale(factor);
    if constexpr (kPack)
      for (int k = 0; k < n; ++k) packed[k] = {uint16_t(t.indices[k]), t.weights[k]};
    m_target = nullptr;
  }
  template <bool kScale, bool kPack>
  [[gnu::always_inline]] void Finish(float factor, SubDivNarrowWeight* packed) {
    SubDivPoint& t = *m_target;
    const int n = t.weightCount;
    if (m_outside) {
      FinishChecked<kScale, kPack>(factor, packed);
      return;
    }
    int8_t* const slot = m_slot.data();
    const int32_t* i = t.indices;
    const int32_t* const end = i + n;
    float* w = t.weights;
    SubDivNarrowWeight* out = packed;
    // Entry j of the next `count`: its slot cleared, its weight scaled and packed.
    auto one = [&](int j) __attribute__((always_inline)) {
      slot[i[j]] = kNone;
      if constexpr (kScale) {
        const float v = w[j] * factor;
        w[j] = v;
        if constexpr (kPack) out[j] = {uint16_t(i[j]), v};
      }
    };
    auto step = [&](int count) __attribute__((always_inline)) {
      i += count;
      if constexpr (kScale) w += count;
      if constexpr (kPack) out += count;
    };
    if (n & 1) {
      one(0);
      step(1);
    }
    if (n & 2) {
      one(0);
      one(1);
      step(2);
    }
    [[maybe_unused]] const __m128 f = _mm_set1_ps(factor);
    while (i != end) {
      const int32_t i0 = i[0], i1 = i[1], i2 = i[2], i3 = i[3];
      slot[i0] = kNone;
      slot[i1] = kNone;
      slot[i2] = kNone;
      slot[i3] = kNone;
      if constexpr (kScale) _mm_storeu_ps(w, _mm_mul_ps(_mm_loadu_ps(w), f));
      if constexpr (kPack) {
        out[0] = {uint16_t(i0), w[0]};
        out[1] = {uint16_t(i1), w[1]};
        out[2] = {uint16_t(i2), w[2]};
        out[3] = {uint16_t(i3), w[3]};
      }
      step(4);
    }
    m_target = nullptr;
  }
  // Runs merge(find, placed) with the table's look-up. Inline, as it runs once per entry of every list
  // a level is made of.
  template <class MergeFn>
  void Merge(MergeFn&& merge) {
    SubDivPoint& t = *m_target;
    // The table as locals: the stores into the list would otherwise make the compiler reload the
    // vector's pointers for every entry.
    int8_t* const slot = m_slot.data();
    const uint32_t size = uint32_t(m_slot.size());
    bool outside = false;
    merge([&](int32_t index) { return uint32_t(index) < size ? int(slot[index]) : t.Find(index); },
          [&](int32_t index, int position) {
            if (uint32_t(index) < size)
              slot[index] = int8_t(position);
            else
              outside = true;
          });
    m_outside |= outside;
  }

  std::vector<int8_t> m_slot;  // per base index: its position in the target's list, or kNone
  SubDivPoint* m_target = nullptr;
  // Whether the target may hold an index the table does not cover (or one twice): End then checks each.
  bool m_outside = false;
};

inline void SubDivMerge::AddScaled(const SubDivNarrowWeight* other, int count, float factor) {
  Open o = Opened();
  AddScaled(o, other, count, factor);
  Close(o);
}

inline void SubDivMerge::AddScaledHeld(const SubDivNarrowWeight* other, int count, float factor) {
  Open o = Opened();
  AddScaledHeld(o, other, count, factor);
  Close(o);
}

[[gnu::always_inline]] inline void SubDivMerge::AddScaled(Open& o, const SubDivNarrowWeight* other, int count,
                                                          float factor) {
  SubDivPoint& t = *o.target;
  auto add = [&](const SubDivNarrowWeight& e) { o.Add(t, e, e.weight * factor); };
  // Four entries a turn, the last first: one count and test for all.
  const SubDivNarrowWeight* e = other + count;
  for (int odd = count & 3; odd > 0; --odd) add(*--e);
  while (e != other) {
    e -= 4;
    add(e[3]);
    add(e[2]);
    add(e[1]);
    add(e[0]);
  }
}

[[gnu::always_inline]] inline void SubDivMerge::AddScaledHeld(Open& o, const SubDivNarrowWeight* other, int count,
                                                              float factor) {
  SubDivPoint& t = *o.target;
  auto add = [&](const SubDivNarrowWeight& e) { o.Add(t, e, e.weight * factor); };
  // Positions are read as unsigned bytes, which index without a widening: kNone is the only one with
  // its sign bit set. Where one of the two is new, the earlier is looked up again after the later is
  // placed (the two may be one index).
  auto addPair = [&](const SubDivNarrowWeight* pair) {
    const size_t s1 = uint8_t(o.slot[pair[1].index]), s0 = uint8_t(o.slot[pair[0].index]);
    const float w1 = pair[1].weight * factor, w0 = pair[0].weight * factor;
    if (int8_t(s1 | s0) >= 0) [[likely]] {
      t.weights[s1] += w1;
      t.weights[s0] += w0;
    } else {
      if (int8_t(s1) >= 0)
        t.weights[s1] += w1;
      else
        o.Append(pair[1], w1);
      add(pair[0]);
    }
  };
  // The last entries first, as the list's length asks, then four a turn.
  const SubDivNarrowWeight* e = other + count;
  if (count & 1) add(*--e);
  if (count & 2) addPair(e -= 2);
  while (e != other) {
    e -= 4;
    addPair(e + 2);
    addPair(e);
  }
}

}  // namespace PM
