// A point of a subdivision level: its position as a weight list over the base points, plus the edges and
// faces it stands on. Fixed-size and pointer-free, so levels are plain arrays of these records.
#pragma once

#include <cstdint>

#include "core/Array.h"

namespace PM {

constexpr int kSubDivMaxWeights = 26;
constexpr int kSubDivMaxAdjacency = 8;

struct SubDivPoint {
  int8_t weightCount;  // 0 to 26
  uint8_t edgeCount;   // 0 to 8, filled by SubDivStructure::UpdateVertexToEdge
  uint8_t faceCount;   // 0 to 8, filled by SubDivStructure::UpdateVertexToFace
  int32_t indices[kSubDivMaxWeights];  // base-point indices, parallel to weights
  float weights[kSubDivMaxWeights];
  int32_t edges[kSubDivMaxAdjacency];  // edge * 2 + (0: first point of the edge, 1: second)
  int32_t faces[kSubDivMaxAdjacency];  // face * 4 + corner

  // A base point: the list {(index, 1.0)} and no adjacency.
  static SubDivPoint Base(int32_t index);

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

  float WeightSum() const;
};

static_assert(sizeof(SubDivPoint) == 276, "SubDivPoint keeps its record size");
template <> inline const char* kArrayTypeName<SubDivPoint> = "SubDivPoint";

}  // namespace PM
