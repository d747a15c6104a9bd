// The triangle walk of polygon geometry: every triangle of the indexed primitives, handed to a query.
// It never reads past the index or length arrays, and skips triangles whose indices miss the positions.
#include <algorithm>

#include "core/Log.h"
#include "geometry/PolygonGeometry.h"

namespace PM {

namespace {

class TriangleWalk {
 public:
  TriangleWalk(TriangleQuery* q, const Array<int32_t>& indices) : m_q(q), m_idx(indices.Data()), m_n(indices.Count()) {}

  // The triangle of index positions a, b, c; 0 when a position lies past the array or an index misses
  // the positions.
  int32_t Test(int64_t a, int64_t b, int64_t c) {
    if (std::max({a, b, c}) >= m_n) return 0;
    return TestInside(a, b, c);
  }
  // As Test, for positions the caller has checked.
  int32_t TestInside(int64_t a, int64_t b, int64_t c) {
    int32_t i0 = m_idx[a], i1 = m_idx[b], i2 = m_idx[c];
    if (!Inside(i0) || !Inside(i1) || !Inside(i2)) return 0;
    m_q->Index[0] = i0;
    m_q->Index[1] = i1;
    m_q->Index[2] = i2;
    return m_q->TestTriangle();
  }

  // A fan over `length` positions from `start`.
  int32_t Fan(int64_t start, int32_t length) {
    for (int64_t k = 2; k < length && start + k < m_n; ++k)
      if (int32_t r = Test(start, start + k - 1, start + k)) return r;
    return 0;
  }

  // A strip over `length` positions from `start`, in pairs (0,1,2), (1,3,2), then on by two.
  int32_t Strip(int64_t start, int32_t length) {
    for (int64_t k = 0; k + 2 < length && start + k + 2 < m_n; k += 2) {
      if (int32_t r = Test(start + k, start + k + 1, start + k + 2)) return r;
      if (k + 3 < length)
        if (int32_t r = Test(start + k + 1, start + k + 3, start + k + 2)) return r;
    }
    return 0;
  }

  // `count` triangles (corners 3) or quads (corners 4, split as (0,1,2), (0,2,3)) from `start`.
  int32_t Separate(int64_t start, int64_t count, int corners) {
    count = std::min(count, (m_n - start) / corners);
    for (int64_t t = 0, p = start; t < count; ++t, p += corners) {
      if (int32_t r = TestInside(p, p + 1, p + 2)) return r;
      if (corners == 4)
        if (int32_t r = TestInside(p, p + 2, p + 3)) return r;
    }
    return 0;
  }

  int64_t Count() const { return m_n; }

 private:
  bool Inside(int32_t i) const { return i >= 0 && i < m_q->VertexCount; }

  TriangleQuery* m_q;
  const int32_t* m_idx;
  int64_t m_n;
};

}  // namespace

int32_t SPolygonGeometry_I::IntersectRay(TriangleQuery* query) {
  return WalkTriangles(query, m_vertices.Data(), m_vertices.Count(), m_normals.Data());
}

int32_t SPolygonGeometry_I::WalkTriangles(TriangleQuery* query, const Vector3f* positions, int32_t count,
                                          const Vector3f* normals) {
  if (m_primCount == 0) return 0;
  query->VertexCount = count;
  query->Positions = positions;
  query->Normals = normals;
  TriangleWalk walk(query, m_indices);
  const int32_t* lengths = m_primLengths.Data();
  const int32_t present = std::min(m_primCount, int32_t(m_primLengths.Count()));
  switch (m_primType) {
    case PrimitiveType::kTriangle:
      return walk.Separate(0, m_primCount, 3);
    case PrimitiveType::kQuad:
      return walk.Separate(0, m_primCount, 4);
    case PrimitiveType::kPolygon:
    case PrimitiveType::kTriangleFan: {
      int64_t p = 0;
      for (int32_t i = 0; i < present; ++i) {
        int32_t l = lengths[i];
        if (l < 3 && m_primType == PrimitiveType::kPolygon)
          LogError("IntersectRay() Primitive::Polygon length(", l, ") not supported.");
        if (int32_t r = walk.Fan(p, l)) return r;
        p += std::max(l, 0);
      }
      return 0;
    }
    case PrimitiveType::kTriangleStrip: {
      int64_t p = 0;
      for (int32_t i = 0; i < present; ++i) {
        if (int32_t r = walk.Strip(p, lengths[i])) return r;
        p += std::max(lengths[i], 0);
      }
      return 0;
    }
    case PrimitiveType::kTriangleStripAndTriangles: {
      int64_t p = 0;
      if (present >= 1 && lengths[0] >= 2) {
        if (int32_t r = walk.Strip(0, lengths[0])) return r;
        p = lengths[0];
      }
      if (present >= 2) return walk.Separate(p, lengths[1] / 3, 3);
      return 0;
    }
    case PrimitiveType::kPoint:
    case PrimitiveType::kLine:
    case PrimitiveType::kLineStrip:
      return 0;
    default:
      LogError("IntersectRay() unsupported Primitive::Type (", m_primType, ") detected.");
      return 0;
  }
}

}  // namespace PM
