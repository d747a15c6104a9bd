// Triangle counting and the consistency check of polygon geometry.
#include <algorithm>
#include <limits>

#include "core/Log.h"
#include "geometry/PolygonGeometry.h"

namespace PM {

namespace {

int32_t Saturate(int64_t v) {
  return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool SPolygonGeometry_I::CountTriangles() {
  const int32_t* lengths = m_primLengths.Data();
  const int32_t present = m_primLengths.Count();
  int64_t count = 0;
  bool ok = true;
  switch (m_primType) {
    case PrimitiveType::kTriangle:
      count = m_primCount;
      break;
    case PrimitiveType::kPoint:
    case PrimitiveType::kLine:
    case PrimitiveType::kQuad:
      count = 2 * int64_t(m_primCount);
      break;
    case PrimitiveType::kPolygon:
    case PrimitiveType::kTriangleStrip:
    case PrimitiveType::kQuadStrip:
      // Only the lengths that exist: a shorter array is validation's to report.
      for (int32_t i = 0, n = std::min(m_primCount, present); i < n; ++i) {
        if (lengths[i] < 3) {
          LogError("Validate: primlength<3 detected.");
          ok = false;
          break;
        }
        count += lengths[i] - 2;
      }
      break;
    case PrimitiveType::kTriangleStripAndTriangles:
      if (present >= 1) {
        int32_t strip = lengths[0];
        if ((strip > 0 && strip < 3) || strip < 0) {
          LogError("Validate: <TriangleStrip>AndTriangles primlength<3 detected.");
          ok = false;
          break;
        }
        if (strip != 0) count += strip - 2;
      }
      if (present >= 2) {
        int32_t list = lengths[1];
        if (list != 0 && list < 3) {
          LogError("Validate: TriangleStripAnd<Triangles> primlength<3 detected.");
          ok = false;
          break;
        }
        count += list / 3;
      }
      break;
    default:
      LogError("Validate: unsupported Primitive::Type (", m_primType, ") detected.");
      break;
  }
  m_triangleCount = ok ? Saturate(count) : 0;
  return ok;
}

bool SPolygonGeometry_I::Validate() {
  if (!CountTriangles()) return false;
  const int64_t expected = FixedIndexCount().value_or(m_indexTotal);
  const int32_t nv = m_vertices.Count();
  const int32_t ni = m_indices.IsEmpty() ? nv : m_indices.Count();
  if ((m_primType > PrimitiveType::kQuad || !m_primLengths.IsEmpty()) && m_primLengths.Count() != m_primCount) {
    LogError("Validate: primlengths missing (", m_primCount, "/", int32_t(m_primLengths.Count()), ").");
    return false;
  }
  if (expected != ni) {
    LogError("Validate: index invalid");
    return false;
  }
  // Engines read indices as unsigned, so a negative one is as far out as one past the end.
  if (m_indexBound > nv || m_negativeIndex) {
    LogError("Error: Validate: max index exceeds vertexarray");
    return false;
  }
  if (m_normals.Count() > 1 && m_indexBound > m_normals.Count()) {
    LogError("Error: Validate: incorrect amount of normals");
    return false;
  }
  for (const Array<Obj<VertexData_I>>& table : m_usageTables) {
    for (int32_t j = 0; j < table.Count(); ++j) {
      VertexData_I* v = table[j].Get();
      if (IsNilObject(v)) continue;
      int32_t length = 0;
      switch (v->GetClassID()) {
        case VertexDataF32_I::kClassId:
        case VertexDataVector2f_I::kClassId:
        case VertexDataVector3f_I::kClassId:
        case VertexDataVector4f_I::kClassId:
        case VertexDataMatrix4f_I::kClassId:
          length = v->GetCount();
          break;
        default:
          LogFatal("SPolygonGeometry::Validate(): unsupported VertexData type.");
          break;
      }
      if (length != nv) {
        LogError("Error: Validate: pass ", j, " length ", length, " != ", nv);
        return false;
      }
    }
  }
  return true;
}

}  // namespace PM
