// The plain marching cubes the metaball walk is measured and checked against: the same grid, field,
// tables and cell routine, but every cell of the grid polygonised in order.
#pragma once

#include "geometry/MetaballGrid.h"

namespace PM::Test {

inline void FullGridMarchingCubes(MetaballGrid& grid, float iso, MetaballMesh* out) {
  grid.Clear();
  grid.EvaluateField();
  grid.ComputeGradientNormals();
  uint32_t faces;
  for (int32_t k = 0; k < grid.CellCount(2); ++k)
    for (int32_t j = 0; j < grid.CellCount(1); ++j)
      for (int32_t i = 0; i < grid.CellCount(0); ++i) grid.PolygonizeCell(i, j, k, iso, out, &faces);
}

}  // namespace PM::Test
