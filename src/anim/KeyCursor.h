// Where a keyed curve found its segment last time, so that a curve played forward finds the next one
// in a step or two instead of a binary search.
#pragma once

#include <cmath>
#include <cstdint>

#include "anim/SplineMath.h"

namespace PM {

// A start other than the middle reaches the same key as the binary search only when the keys are in
// time order, and the order is known only after a pass over them. The pass is made once the keys have
// stayed unchanged for as many evaluations as there are keys, so that a curve edited between
// evaluations never pays more than a step per evaluation for it.
class KeyCursor {
 public:
  // A segment of keys[0..n) holding t that LocateInSegment turns into LocateTime's answer; `version`
  // changes whenever the keys do.
  template <class Key>
  int32_t Find(const Key* keys, int32_t n, float t, uint32_t version) {
    if (n <= 0 || t <= keys[0].time) return 0;
    if (t >= keys[n - 1].time) return n - 1;
    if (Ordered(keys, n, version)) {
      // Keys in order: any segment whose keys bracket t gives the same key or the same place
      // between two keys. The one found last time, its successor, its predecessor.
      const int32_t c = m_segment;
      if (c >= 0 && c < n - 1) {
        if (keys[c].time <= t) {
          if (t <= keys[c + 1].time) return c;
          if (c + 2 < n && t <= keys[c + 2].time) return m_segment = c + 1;
        } else if (c > 0 && keys[c - 1].time <= t) {
          return m_segment = c - 1;
        }
      }
      if (!std::isnan(t)) return m_segment = BracketingSegment(keys, n, t);
    }
    return m_segment = FindKeySegment(keys, n, t);  // NaN, or keys not known in order
  }

 private:
  // On keys in order with keys[0].time < t < keys[n - 1].time: the segment ending at the first key at or
  // after t, which the range kept always holds. The binary search's tests branch one way or the other at
  // random on times that jump about, and each wrong guess costs more than a step; this search takes one
  // conditional move a step and no branch on the keys.
  template <class Key>
  static int32_t BracketingSegment(const Key* keys, int32_t n, float t) {
    const Key* first = keys + 1;
    int32_t count = n - 1;
    while (count > 1) {
      const int32_t half = count / 2;
      first = first[half - 1].time < t ? first + half : first;
      count -= half;
    }
    return int32_t(first - keys) - 1;
  }

  template <class Key>
  bool Ordered(const Key* keys, int32_t n, uint32_t version) {
    if (m_version != version) {
      m_version = version;
      m_unchanged = 0;
      m_ordered = false;
      return false;
    }
    if (m_unchanged < n) {
      if (++m_unchanged < n) return false;
      m_ordered = true;
      for (int32_t i = 0; i + 1 < n && m_ordered; ++i) m_ordered = keys[i].time <= keys[i + 1].time;  // NaN fails
    }
    return m_ordered;
  }

  int32_t m_segment = 0;
  uint32_t m_version = ~0u;  // the key version m_unchanged and m_ordered describe
  int32_t m_unchanged = 0;   // evaluations since the keys changed, counted up to the key count
  bool m_ordered = false;    // checked once m_unchanged reached the key count
};

}  // namespace PM
