// Which children of a long child array the draw and input passes may pass over without reading them:
// the rows that lay wholly beyond their clip at the parent's last layout and would neither draw, be
// deferred, take input nor gather an effect there. Kept only for long arrays. Any edit that could make
// such a row draw or take input (the child arrays, a sub menu, icon or title widget, a priority, the
// modal flag, effects) makes every index unusable, and the passes then visit every child again.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

namespace PM {

class OutOfViewIndex {
 public:
  // Shorter arrays are walked whole: an index would cost more than it saves.
  static constexpr int32_t kMinChildren = 64;

  // Something an index relies on has changed.
  static void NoteEdit() { s_edits.fetch_add(1, std::memory_order_relaxed); }
  // How many such edits there have been: equal counts mean none in between.
  static uint64_t Edits() { return s_edits.load(std::memory_order_relaxed); }

  // The layout starts over an array of `count` children.
  void Begin(int32_t count);
  // Child `i` (in ascending order) is kept, i.e. visited by the passes; `drawPriority` is that of a
  // child passed over.
  void Keep(int32_t i) { m_kept.push_back(i); }
  void PassOver(int32_t drawPriority) { m_maxPriority = drawPriority > m_maxPriority ? drawPriority : m_maxPriority; }

  // The index still describes an array of `count` children and nothing has been edited since its
  // layout; a child passed over would not be deferred at drawing `level`.
  bool Usable(int32_t count, int32_t level) const {
    return m_count == count && m_maxPriority <= level && m_stamp == Edits();
  }
  // The first kept child at or after `i` (Count() when none), the last at or before `i` (-1 when none).
  int32_t KeptFrom(int32_t i) const;
  int32_t KeptUpTo(int32_t i) const;

 private:
  static inline std::atomic<uint64_t> s_edits{1};
  std::vector<int32_t> m_kept;  // ascending
  uint64_t m_stamp = 0;
  int32_t m_count = -1;
  int32_t m_maxPriority = 0;
};

}  // namespace PM
