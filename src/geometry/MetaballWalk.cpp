// The surface walk over a metaball grid: from each sphere to its surface, then across the surface
// cell by cell, so that only cells on the surface are polygonised.
#include <array>
#include <vector>

#include "geometry/MetaballGrid.h"

namespace PM {

void MetaballGrid::Polygonize(float iso, MetaballMesh* out) {
  Clear();
  EvaluateField();
  ComputeGradientNormals();
  for (int32_t s = 0; s < m_spheres.Count(); ++s) PolygonizeFromSphere(s, iso, out);
}

void MetaballGrid::PolygonizeFromSphere(int32_t s, float iso, MetaballMesh* out) {
  const Vector4f& b = m_spheres[s];
  int32_t cell[3];
  CellOf(Vector3f{b.x, b.y, b.z}, cell);
  if (!IsCell(cell[0], cell[1], cell[2]) || IsVisited(cell[0], cell[1], cell[2])) return;

  // Away from a side of the grid the sphere crosses; along +z when it crosses none.
  const float c[3] = {b.x - m_origin.x, b.y - m_origin.y, b.z - m_origin.z};
  int32_t step[3] = {0, 0, 0};
  for (int a = 0; a < 3; ++a) {
    if (c[a] + b.w > float(m_counts[a] - 1) * m_cellSize)
      step[a] = -1;
    else if (c[a] - b.w < 0)
      step[a] = 1;
  }
  if (step[0] == 0 && step[1] == 0 && step[2] == 0) step[2] = 1;

  uint32_t faces;
  for (;;) {
    switch (PolygonizeCell(cell[0], cell[1], cell[2], iso, nullptr, &faces)) {
      case kSurface:
        FloodFill(cell, iso, out);
        return;
      case kOutside:
        return;
      case kInside:
        break;
    }
    // Each step moves at least one cell along a bounded axis, so the walk ends at the grid's side.
    for (int a = 0; a < 3; ++a) cell[a] += step[a];
    if (!IsCell(cell[0], cell[1], cell[2]) || IsVisited(cell[0], cell[1], cell[2])) return;
  }
}

void MetaballGrid::FloodFill(const int32_t start[3], float iso, MetaballMesh* out) {
  // An explicit stack: a surface can span millions of cells. Each visited cell pushes at most six
  // neighbours, so the stack stays within six entries per cell.
  std::vector<std::array<int32_t, 3>> stack;
  stack.push_back({start[0], start[1], start[2]});
  while (!stack.empty()) {
    const auto [i, j, k] = stack.back();
    stack.pop_back();
    if (!IsCell(i, j, k) || IsVisited(i, j, k)) continue;
    SetVisited(i, j, k);
    uint32_t faces;
    PolygonizeCell(i, j, k, iso, out, &faces);
    if (faces & kFaceXMinus) stack.push_back({i - 1, j, k});
    if (faces & kFaceXPlus) stack.push_back({i + 1, j, k});
    if (faces & kFaceYMinus) stack.push_back({i, j - 1, k});
    if (faces & kFaceYPlus) stack.push_back({i, j + 1, k});
    if (faces & kFaceZMinus) stack.push_back({i, j, k - 1});
    if (faces & kFaceZPlus) stack.push_back({i, j, k + 1});
  }
}

}  // namespace PM
