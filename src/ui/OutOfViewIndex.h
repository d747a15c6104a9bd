// Which children of a long child array the layout, draw and input passes may pass over without reading
// them: the rows that lay wholly beyond their clip at the parent's last layout and would neither draw, be
// deferred, take input nor gather an effect there. Kept only for long arrays. Any edit that could make
// such a row draw or take input (the child arrays, a sub menu, icon or title widget, a priority, the
// modal flag, effects) makes every index unusable, and the passes then visit every child again.
// The layout passes over such a row while nothing of it has changed (see Widget_I::NoteLayoutEdit),
// its parent's record has only moved (a scroll) and the row stays out of view: the row's world matrix
// then waits until it is read (Widget_I::RefreshSkippedWorld).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/Vector3f.h"
#include "ui/WidgetLayout.h"

namespace PM {

class OutOfViewIndex {
 public:
  // Shorter arrays are walked whole: an index would cost more than it saves.
  static constexpr int32_t kMinChildren = 64;

  // Something an index relies on has changed.
  static void NoteEdit() { s_edits.fetch_add(1, std::memory_order_relaxed); }
  // How many such edits there have been: equal counts mean none in between.
  static uint64_t Edits() { return s_edits.load(std::memory_order_relaxed); }
  // A new number for a layout of a long array, above every one before.
  static uint64_t NextPass() { return s_passes.fetch_add(1, std::memory_order_relaxed) + 1; }

  // Where a row's last layout put it in the parent's record, and its draw priority.
  struct Row {
    int32_t drawPriority = 0;
    Vector3f position{0, 0, 0}, size{0, 0, 0};
  };

  // The layout starts over an array of `count` children in `record`, the layout pass numbered `pass`;
  // true when the rows passed over last time may be passed over again where they stay out of view
  // (`minimumKept`: the children's minimum has not been computed again since).
  bool Begin(int32_t count, const WidgetLayout* record, uint64_t pass, bool minimumKept);
  // Calls `layOut(i)` for every child the layout must visit, ascending; each call ends in Note (or
  // nothing for a nil child). The rest are passed over: those that stay out of view since the last
  // layout. Where the rows lie in order along the record's height, only the rows near the view and those
  // kept last time are looked at (a binary search over how far the rows reach); elsewhere every row is.
  template <class LayOut>
  void Walk(LayOut&& layOut);
  // Child `i` was laid out to `row`: passed over by drawing and input (and by the next layout while
  // nothing changes) when `idle`, otherwise kept.
  void Note(int32_t i, bool idle, const Row& row);

  // The rows' minimums were computed again: the next layout visits every row.
  void NoteRowEdit() { m_rowEdited = true; }

  // The index still describes an array of `count` children and nothing has been edited since its
  // layout; a child passed over would not be deferred at drawing `level`.
  bool Usable(int32_t count, int32_t level) const {
    return m_count == count && m_maxPriority <= level && m_stamp == Edits();
  }
  // The first kept child at or after `i` (Count() when none), the last at or before `i` (-1 when none).
  int32_t KeptFrom(int32_t i) const;
  int32_t KeptUpTo(int32_t i) const;
  // The record and pass of the last layout: a row laid out in an earlier pass that is still a row of
  // this array was passed over since, and its world matrix is that record's moved by its position.
  const WidgetLayout* Record() const { return m_record; }
  uint64_t Pass() const { return m_pass; }
  // Whether a row of this array last laid out in `pass` was passed over since (its world matrix waits).
  bool Skipped(uint64_t pass) const { return m_skippedAny && pass >= m_runStart && pass < m_pass; }
  bool SkippedAny() const { return m_skippedAny; }
  // Every row passed over has been brought up to date.
  void Refreshed() { m_skippedAny = false; }

 private:
  static inline std::atomic<uint64_t> s_edits{1};
  static inline std::atomic<uint64_t> s_passes{0};
  enum State : uint8_t { kUnseen, kKept, kIdle };

  // Whether the idle row still lies out of view in the record being laid out.
  bool StaysOutside(const Row& row) const;
  // The rows before `first` all end above the clip, those from `last` on all start below it, as the
  // rows lay at their last layout.
  void Candidates(int32_t& first, int32_t& last) const;
  // Builds how far the rows reach along the height, or marks that it cannot be relied on.
  void BuildReach();
  static double Slack(double magnitude);

  std::vector<int32_t> m_kept, m_lastKept;  // ascending
  std::vector<Row> m_rows;                  // by child index
  std::vector<uint8_t> m_state;             // State, by child index
  // The furthest end of the rows up to each index and the nearest start from each index on, along the
  // record's height, each widened by more than the rounding of the out-of-view test.
  std::vector<double> m_endUpTo, m_startFrom;
  bool m_reachValid = false;
  bool m_same = false;
  int32_t m_idleCount = 0;
  uint64_t m_stamp = 0;
  uint64_t m_pass = 0;
  uint64_t m_runStart = 0;  // the first of the layouts since which rows may have been passed over
  bool m_skippedAny = false;
  int32_t m_count = -1;
  int32_t m_maxPriority = 0;
  bool m_rowEdited = true;
  // What of the parent's record the rows' layout reads: its size, clip and input flag, and its world
  // matrix but for the translation.
  const WidgetLayout* m_record = nullptr;
  Vector3f m_recordSize{0, 0, 0};
  int32_t m_recordClip = kClipNone;
  float m_clipRect[4] = {0, 0, 0, 0};
  int32_t m_recordFlags = 0;
  float m_recordLinear[12] = {};
};

template <class LayOut>
void OutOfViewIndex::Walk(LayOut&& layOut) {
  const int32_t idleBefore = m_idleCount;
  int32_t laidOutIdle = 0;  // idle rows laid out again
  const auto visit = [&](int32_t i) {
    laidOutIdle += m_state[size_t(i)] == kIdle;
    layOut(i);
  };
  if (m_same && m_reachValid) {
    int32_t first = 0, last = m_count;
    Candidates(first, last);
    size_t k = 0;
    for (; k < m_lastKept.size() && m_lastKept[k] < first; ++k) visit(m_lastKept[k]);
    for (int32_t i = first; i < last; ++i)
      if (m_state[size_t(i)] != kIdle || !StaysOutside(m_rows[size_t(i)])) visit(i);
    for (; k < m_lastKept.size(); ++k)
      if (m_lastKept[k] >= last) visit(m_lastKept[k]);
  } else {
    for (int32_t i = 0; i < m_count; ++i)
      if (m_state[size_t(i)] != kIdle || !StaysOutside(m_rows[size_t(i)])) visit(i);
    BuildReach();
  }
  // Rows idle before and not laid out now were passed over: their world matrices wait.
  if (idleBefore - laidOutIdle > 0) m_skippedAny = true;
}

}  // namespace PM
