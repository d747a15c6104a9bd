// The weight lists of a run of points packed end to end, for the passes that read each list a dozen
// times: a list of 16 entries fills two cache lines here against the four or five of its 276-byte
// point record, and a level far larger than the caches is read at that rate.
#pragma once

#include <cstddef>
#include <memory>

#include "core/Array.h"
#include "core/FetchLines.h"
#include "geometry/SubDivPoint.h"
#include "geometry/SubDivScratch.h"

namespace PM {

class SubDivWeightPool {
 public:
  // Room for `capacity` lists. The memory is taken untouched and only the entries written are paged
  // in, so room for full lists costs no more than the lists added; the room is kept for the thread's
  // next pool (SubDivScratch). A narrow pool keeps its entries in 16 bits while every index added fits
  // them (a quarter less to read) and widens them all at the first that does not.
  explicit SubDivWeightPool(int capacity, bool narrow = false);
  // Packs the lists of all `points`, in order, in 32 bits; their weight counts must be checked.
  explicit SubDivWeightPool(const Array<SubDivPoint>& points);

  // Appends p's list as the next one; its weight count must be checked (0 to kSubDivMaxWeights).
  // `fits16`: its indices are known to be 16-bit ones, which a narrow pool need not check.
  void Add(const SubDivPoint& p, bool fits16 = false) {
    const size_t at = m_end[m_count];
    if (!m_wide && !fits16 && !Fits16(p)) Widen();
    if (m_wide)
      Write(m_entries.get() + at, p);
    else
      Write(m_narrow.get() + at, p);
    m_end[m_count + 1] = at + size_t(p.weightCount);
    ++m_count;
  }
  // Room for the next list of a pool that is not wide, for a caller that writes its entries there
  // itself (at most kSubDivMaxWeights, indices of 16 bits) and hands them over with AddNarrow.
  SubDivNarrowWeight* NarrowRoom() const { return m_narrow.get() + m_end[m_count]; }
  // Takes the `count` entries written at NarrowRoom() as the next list.
  void AddNarrow(int count) {
    m_end[m_count + 1] = m_end[m_count] + size_t(count);
    ++m_count;
  }
  int ListCount() const { return m_count; }
  int Count(int i) const { return int(m_end[i + 1] - m_end[i]); }
  bool IsWide() const { return m_wide; }
  // List i's first entry, of a wide pool only.
  const SubDivWeight* Entries(int i) const { return m_entries.get() + m_end[i]; }
  // Asks for list i's place in the pool ahead of a FetchEntries(i), and for its entries (which reads
  // the place) ahead of a With(i), into the first-level cache: they are read a point or two later.
  void FetchPlace(int i) const { __builtin_prefetch(&m_end[i]); }
  void FetchEntries(int i) const { FetchEntriesAt(m_end[i], Count(i)); }
  // List i's place, for a caller that keeps each list's place and count itself: a read of the list
  // from them (WithAt, FetchEntriesAt) waits on one load fewer than one from i.
  size_t Place(int i) const { return m_end[i]; }
  void FetchEntriesAt(size_t at, int count) const {
    const char* first = m_wide ? reinterpret_cast<const char*>(m_entries.get() + at)
                               : reinterpret_cast<const char*>(m_narrow.get() + at);
    FetchLines<0, 3>(first, size_t(count) * (m_wide ? sizeof(SubDivWeight) : sizeof(SubDivNarrowWeight)));
  }
  // The lists of a pool that is not wide, through two plain pointers that a loop over many lists keeps
  // at hand rather than reading them from the pool for every list. They stay valid while the pool does
  // not widen.
  struct NarrowLists {
    const SubDivNarrowWeight* entries;
    const size_t* end;
    template <class Fn>
    [[gnu::always_inline]] void With(int i, Fn&& fn) const {
      const size_t at = end[i];
      fn(entries + at, int(end[i + 1] - at));
    }
    template <class Fn>
    [[gnu::always_inline]] void WithAt(size_t at, int count, Fn&& fn) const {
      fn(entries + at, count);
    }
  };
  NarrowLists Narrow() const { return {m_narrow.get(), m_end.get()}; }
  // With of a pool that is not wide.
  template <class Fn>
  [[gnu::always_inline]] void WithNarrow(int i, Fn&& fn) const {
    const size_t at = m_end[i];
    WithNarrowAt(at, int(m_end[i + 1] - at), fn);
  }
  // Runs fn(entries, count) on list i, its entries as SubDivWeight or SubDivNarrowWeight.
  template <class Fn>
  void With(int i, Fn&& fn) const {
    const size_t at = m_end[i];
    WithAt(at, int(m_end[i + 1] - at), fn);
  }
  // With of the list at `at`, `count` long (Place(i), Count(i)).
  template <class Fn>
  void WithAt(size_t at, int count, Fn&& fn) const {
    if (m_wide)
      fn(m_entries.get() + at, count);
    else
      fn(m_narrow.get() + at, count);
  }
  // WithAt of a pool that is not wide.
  template <class Fn>
  [[gnu::always_inline]] void WithNarrowAt(size_t at, int count, Fn&& fn) const {
    fn(m_narrow.get() + at, count);
  }

 private:
  static bool Fits16(const SubDivPoint& p) {
    uint32_t all = 0;  // a negative index sets the high bits too
    const int n = p.weightCount;
    for (int i = 0; i < n; ++i) all |= uint32_t(p.indices[i]);
    return all <= 0xFFFF;
  }
  template <class Entry>
  static void Write(Entry* out, const SubDivPoint& p) {
    // The count as a local: the entries' stores would otherwise make the compiler read it again each time.
    const int n = p.weightCount;
#pragma GCC unroll 4
    for (int i = 0; i < n; ++i) {
      out[i].index = decltype(Entry::index)(p.indices[i]);
      out[i].weight = p.weights[i];
    }
  }
  // Moves the entries so far to 32 bits; the pool stays wide.
  void Widen();

  int m_count = 0;
  size_t m_room = 0;
  bool m_wide = true;
  SubDivScratchBuffer<SubDivWeight> m_entries;
  SubDivScratchBuffer<SubDivNarrowWeight> m_narrow;
  SubDivScratchBuffer<size_t> m_end;  // m_end[i]: where list i starts; m_end[m_count]: the entries used
};

}  // namespace PM
