// A point of a subdivision level: its position as a weight list over the base points, plus the edges and
// faces it stands on. Fixed-size and pointer-free, so levels are plain arrays of these records.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/Array.h"

namespace PM {

constexpr int kSubDivMaxWeights = 26;
constexpr int kSubDivMaxAdjacency = 8;

// One entry of a weight list, as packed lists hold it.
struct SubDivWeight {
  int32_t index;
  float weight;
};

// The same entry where the index fits 16 bits: six bytes to read rather than eight.
struct __attribute__((packed)) SubDivNarrowWeight {
  uint16_t index;
  float weight;
};
static_assert(sizeof(SubDivNarrowWeight) == 6, "narrow entries are packed");

inline SubDivWeight Widened(const SubDivWeight& e) { return e; }
inline SubDivWeight Widened(const SubDivNarrowWeight& e) { return {int32_t(e.index), e.weight}; }

struct SubDivPoint {
  int8_t weightCount;                  // 0 to 26
  uint8_t edgeCount;                   // 0 to 8, filled by SubDivStructure::UpdateVertexToEdge
  uint8_t faceCount;                   // 0 to 8, filled by SubDivStructure::UpdateVertexToFace
  int32_t indices[kSubDivMaxWeights];  // base-point indices, parallel to weights
  float weights[kSubDivMaxWeights];
  int32_t edges[kSubDivMaxAdjacency];  // edge * 2 + (0: first point of the edge, 1: second)
  int32_t faces[kSubDivMaxAdjacency];  // face * 4 + corner

  // A base point: the list {(index, 1.0)} and no adjacency.
  static SubDivPoint Base(int32_t index);
  // This record made Base(index) where it lies, every other byte zero: a record built aside and
  // copied in is a second pass over its 276 bytes.
  void SetBase(int32_t index) {
    std::memset(static_cast<void*>(this), 0, sizeof(SubDivPoint));
    weightCount = 1;
    indices[0] = index;
    weights[0] = 1.0f;
  }

  // The weight list of `source` (not its adjacency).
  void CopyFrom(const SubDivPoint& source);
  // As CopyFrom, every weight times factor; a factor of exactly 0 gives an empty list.
  void CopyScaled(const SubDivPoint& source, float factor);
  void Scale(float factor);
  void Divide(float divisor) { Scale(1.0f / divisor); }
  // Merges the other list in, weights of equal base indices summed. A 27th distinct index is dropped
  // with an Error line; the merge goes on.
  void Add(const SubDivPoint& other) { AddScaled(other, 1.0f); }
  void AddScaled(const SubDivPoint& other, float factor);
  // AddScaled with the look-up of an index given: find(index) is the position of its entry or -1, and
  // placed(index, position) hears of each entry appended.
  template <class FindFn, class PlacedFn>
  void MergeScaled(const SubDivPoint& other, float factor, FindFn&& find, PlacedFn&& placed);
  // MergeScaled with the other list given as `count` packed entries (SubDivWeight or
  // SubDivNarrowWeight).
  template <class Entry, class FindFn, class PlacedFn>
  void MergeEntries(const Entry* other, int count, float factor, FindFn&& find, PlacedFn&& placed);
  // The list replaced by `count` packed entries.
  template <class Entry>
  void CopyEntries(const Entry* source, int count);
  // The position of the last entry of `index`, or -1.
  int Find(int32_t index) const {
    int i = weightCount - 1;
    while (i >= 0 && indices[i] != index) --i;
    return i;
  }

  float WeightSum() const;
};

// Logs the one line of a merge that found no room for an entry.
void ReportSubDivWeightOverflow();

namespace SubDivPointDetail {
// The merge of both list forms: entry(j) gives the j-th entry of the other list.
template <class EntryFn, class FindFn, class PlacedFn>
inline void Merge(SubDivPoint& t, int count, EntryFn&& entry, float factor, FindFn&& find, PlacedFn&& placed) {
  for (int j = count - 1; j >= 0; --j) {
    const SubDivWeight e = entry(j);
    const int32_t index = e.index;
    const float w = e.weight * factor;
    const int i = find(index);
    if (i >= 0) {
      t.weights[i] += w;
    } else if (t.weightCount < kSubDivMaxWeights) {
      t.indices[t.weightCount] = index;
      t.weights[t.weightCount] = w;
      placed(index, int(t.weightCount));
      ++t.weightCount;
    } else {
      ReportSubDivWeightOverflow();
    }
  }
}
}  // namespace SubDivPointDetail

template <class FindFn, class PlacedFn>
void SubDivPoint::MergeScaled(const SubDivPoint& other, float factor, FindFn&& find, PlacedFn&& placed) {
  SubDivPointDetail::Merge(
      *this, other.weightCount,
      [&](int j) {
        return SubDivWeight{other.indices[j], other.weights[j]};
      },
      factor, find, placed);
}

template <class Entry, class FindFn, class PlacedFn>
void SubDivPoint::MergeEntries(const Entry* other, int count, float factor, FindFn&& find, PlacedFn&& placed) {
  SubDivPointDetail::Merge(
      *this, count, [other](int j) { return Widened(other[j]); }, factor, find, placed);
}

template <class Entry>
void SubDivPoint::CopyEntries(const Entry* source, int count) {
  weightCount = int8_t(count);
#pragma GCC unroll 4
  for (int i = 0; i < count; ++i) {
    const SubDivWeight e = Widened(source[i]);
    indices[i] = e.index;
    weights[i] = e.weight;
  }
}

static_assert(sizeof(SubDivPoint) == 276, "SubDivPoint keeps its record size");
template <>
inline const char* kArrayTypeName<SubDivPoint> = "SubDivPoint";

}  // namespace PM
