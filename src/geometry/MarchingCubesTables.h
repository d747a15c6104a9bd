// The marching-cubes tables: for each of the 256 classifications of a cell's eight corners, the
// edges the surface crosses and the triangles that join them. Corners 0-3 run round the cell's lower
// face, 4-7 round the upper face above them; edges 0-3 join corners 0-1, 1-2, 2-3, 3-0, edges 4-7 the
// same on the upper face, edges 8-11 join corner c to c + 4.
#pragma once

#include <array>
#include <cstdint>

namespace PM {

// The two corners of each edge.
inline constexpr int8_t kMarchingCubesEdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                                            {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// Bit e of entry c is set when edge e joins a corner inside classification c to one outside it.
inline constexpr std::array<uint16_t, 256> kMarchingCubesEdges = [] {
  std::array<uint16_t, 256> t{};
  for (int c = 0; c < 256; ++c)
    for (int e = 0; e < 12; ++e)
      if (((c >> kMarchingCubesEdgeCorners[e][0]) ^ (c >> kMarchingCubesEdgeCorners[e][1])) & 1)
        t[c] |= uint16_t(1 << e);
  return t;
}();

extern const int8_t kMarchingCubesTriangles[256][16];

}  // namespace PM
