// Packed parametric coordinates carried by the corners of subdivision faces, and the table that maps
// them back to weights of the base face's corners.
#pragma once

#include <cstdint>

#include "core/Vector4f.h"

namespace PM {

// domain * 289 + u * 17 + v, u and v on a 17 by 17 grid (0 to 16). Domain 0 is a base quad; 1 to 3 are
// the three quads the first step makes of a base triangle. The value is also the table index.
struct FaceParam {
  static constexpr int kGrid = 16;
  static constexpr int kDomainSize = 17 * 17;
  static constexpr int kDomains = 4;

  static constexpr int32_t Make(int domain, int u, int v) { return domain * kDomainSize + u * 17 + v; }
  static constexpr int Domain(int32_t p) { return p / kDomainSize; }
  static constexpr int U(int32_t p) { return p % kDomainSize / 17; }
  static constexpr int V(int32_t p) { return p % 17; }

  // Both truncate: the grid is exact for four steps, the depth mesh groups stop at.
  static constexpr int32_t Midpoint(int32_t a, int32_t b) {
    return Make(Domain(a), (U(a) + U(b)) / 2, (V(a) + V(b)) / 2);
  }
  static constexpr int32_t Centre(int32_t a, int32_t b, int32_t c, int32_t d) {
    return Make(Domain(a), (U(a) + U(b) + U(c) + U(d)) / 4, (V(a) + V(b) + V(c) + V(d)) / 4);
  }
};

// The weights of the base face's corners 0 to 3 at every packed coordinate, built once per process.
class SubDivParamTable {
 public:
  static constexpr int kEntries = FaceParam::kDomains * FaceParam::kDomainSize;

  // Fills the table on the first call; later calls do nothing. Safe from any thread.
  static void Build();
  // The corner weights at `param`; a value outside the table logs an Error and gives zero weights.
  static Vector4f Weights(int32_t param);
  // The whole table, kEntries long (built on the first call), for loops that check the range themselves.
  static const Vector4f* Entries();
};

}  // namespace PM
