// One cell of a metaball grid: its corners, its classification and its triangles.
#include <array>

#include "geometry/MarchingCubesTables.h"
#include "geometry/MetaballGrid.h"

namespace PM {

namespace {

// Grid-point offsets of corners 0-7 from the cell's lowest point.
constexpr int8_t kCorner[8][3] = {{0, 1, 0}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0},
                                  {0, 1, 1}, {1, 1, 1}, {1, 0, 1}, {0, 0, 1}};

struct EdgeShape {
  int8_t low, high;  // the corner at the lower and at the higher grid point
  int8_t axis;       // the axis the edge runs along
  uint8_t faces;     // the two cell faces the edge lies on
};

// Derived from the corner offsets: every edge runs along one axis and lies on the faces of the two
// others, on the low or high side by the offset its corners share there.
constexpr std::array<EdgeShape, 12> kEdges = [] {
  std::array<EdgeShape, 12> t{};
  for (int e = 0; e < 12; ++e) {
    const int a = kMarchingCubesEdgeCorners[e][0], b = kMarchingCubesEdgeCorners[e][1];
    EdgeShape s{};
    for (int d = 0; d < 3; ++d) {
      if (kCorner[a][d] != kCorner[b][d]) {
        s.axis = int8_t(d);
        s.low = int8_t(kCorner[a][d] < kCorner[b][d] ? a : b);
        s.high = int8_t(kCorner[a][d] < kCorner[b][d] ? b : a);
      } else {
        s.faces |= uint8_t(1u << (2 * d + kCorner[a][d]));
      }
    }
    t[e] = s;
  }
  return t;
}();

}  // namespace

uint32_t MetaballGrid::CubeIndex(int32_t i, int32_t j, int32_t k, float iso) const {
  uint32_t index = 0;
  for (int c = 0; c < 8; ++c)
    if (FieldAt(i + kCorner[c][0], j + kCorner[c][1], k + kCorner[c][2]) > iso) index |= 1u << c;
  return index;
}

MetaballGrid::CellClass MetaballGrid::PolygonizeCell(int32_t i, int32_t j, int32_t k, float iso, MetaballMesh* out,
                                                     uint32_t* faces) const {
  *faces = 0;
  const uint32_t index = CubeIndex(i, j, k, iso);
  if (index == 255) return kInside;
  if (index == 0) return kOutside;
  const uint32_t crossed = kMarchingCubesEdges[index];
  for (int e = 0; e < 12; ++e)
    if (crossed & (1u << e)) *faces |= kEdges[e].faces;
  if (!out) return kSurface;

  // Each crossed edge is interpolated from its lower grid point to its higher one, so the cells that
  // share the edge compute the very same vertex.
  Vector3f position[12], normal[12];
  int64_t key[12];
  const float cs = m_cellSize;
  for (int e = 0; e < 12; ++e) {
    if (!(crossed & (1u << e))) continue;
    const EdgeShape& s = kEdges[e];
    const int32_t ai = i + kCorner[s.low][0], aj = j + kCorner[s.low][1], ak = k + kCorner[s.low][2];
    const int64_t a = PointIndex(ai, aj, ak);
    const int64_t b = a + (s.axis == 0 ? 1 : s.axis == 1 ? int64_t(m_counts[0]) : int64_t(m_counts[0]) * m_counts[1]);
    const float fa = m_field[a], fb = m_field[b], t = (iso - fa) / (fb - fa);
    const Vector3f pa{m_origin.x + float(ai) * cs, m_origin.y + float(aj) * cs, m_origin.z + float(ak) * cs};
    Vector3f pb = pa;
    (&pb.x)[s.axis] = (&m_origin.x)[s.axis] + float((s.axis == 0 ? ai : s.axis == 1 ? aj : ak) + 1) * cs;
    position[e] = {pa.x + t * (pb.x - pa.x), pa.y + t * (pb.y - pa.y), pa.z + t * (pb.z - pa.z)};
    const Vector3f& na = m_gradients[a];
    const Vector3f& nb = m_gradients[b];
    normal[e] = {na.x + t * (nb.x - na.x), na.y + t * (nb.y - na.y), na.z + t * (nb.z - na.z)};
    key[e] = 3 * a + s.axis;
  }
  const int8_t* row = kMarchingCubesTriangles[index];
  for (int v = 0; row[v] >= 0; ++v) {
    const int e = row[v];
    out->indices.Append(out->positions.Count());
    out->positions.Append(position[e]);
    out->normals.Append(normal[e]);
    if (out->edgeKeys) out->edgeKeys->push_back(key[e]);
  }
  return kSurface;
}

}  // namespace PM
