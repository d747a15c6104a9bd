// Drawing polygon geometry: the draw record is refilled after member changes, checked against its own
// arrays, and handed to the engine with the streams the pass asks for.
#include "engine/FramePrimitiveCount.h"
#include "engine/RenderEngine.h"
#include "geometry/PolygonGeometry.h"

namespace PM {

int32_t SPolygonGeometry_I::Draw(RenderEngine* engine, const Vector4f* colors) {
  if (engine->GetPassMode() == PassMode::kPlain) return 0;
  return DrawEngine(engine, colors);
}

std::optional<int64_t> SPolygonGeometry_I::FixedIndexCount() const {
  switch (m_primType) {
    case PrimitiveType::kPoint:
      return m_primCount;
    case PrimitiveType::kLine:
      return 2 * int64_t(m_primCount);
    case PrimitiveType::kTriangle:
      return 3 * int64_t(m_primCount);
    case PrimitiveType::kQuad:
      return 4 * int64_t(m_primCount);
    default:
      return std::nullopt;
  }
}

// The engines index straight into the record's arrays, so a record whose counts reach past them is
// never handed on.
bool SPolygonGeometry_I::IndicesInsideArrays() const {
  const int64_t nv = m_vertices.Count();
  const int64_t ni = m_indices.IsEmpty() ? nv : m_indices.Count();
  if (m_primCount < 0) return false;
  const std::optional<int64_t> fixed = FixedIndexCount();
  if (!fixed && (m_primLengths.Count() < m_primCount || m_negativeLength)) return false;
  return fixed.value_or(m_indexTotal) <= ni && m_indexBound <= nv && !m_negativeIndex;
}

void SPolygonGeometry_I::RefreshPolygonData() {
  PolygonData& d = m_polygonData;
  const int32_t nv = m_vertices.Count();
  d.PrimType = m_primType;
  d.PrimCount = m_primCount;
  d.VertexCount = nv;
  d.PrimLengthArray = m_primLengths.Data();
  d.VertexArray = m_vertices.Data();
  if (m_indices.IsEmpty() && nv > 0) {
    // Vertices taken in order: the engines draw through indices only, so hand them 0, 1, 2, ...
    if (m_sequence.Count() != nv) {
      m_sequence.SetCountNoCopy(nv);
      for (int32_t i = 0; i < nv; ++i) m_sequence[i] = uint32_t(i);
    }
    d.IndexArray = m_sequence.Data();
    d.IndexCount = nv;
  } else {
    m_sequence = Array<uint32_t>();
    d.IndexArray = reinterpret_cast<const uint32_t*>(m_indices.Data());
    d.IndexCount = m_indices.Count();
  }
  // Per-vertex normals only when there is one for every vertex; a single one goes through SetNormal.
  d.NormalArray = !m_normals.IsEmpty() && m_normals.Count() >= nv ? m_normals.Data() : nullptr;
  m_drawable = IndicesInsideArrays();
  if (m_drawable) CountTriangles();
  m_upToDate = true;
}

const void* SPolygonGeometry_I::PassStream(uint32_t word, uint32_t classId) const {
  uint32_t kind = word >> 16, slot = word & 0xFFFF;
  if (kind >= uint32_t(kUsageKinds)) return nullptr;
  const Array<Obj<VertexData_I>>& table = m_usageTables[kind];
  if (slot >= uint32_t(table.Count())) return nullptr;
  VertexData_I* v = table[int32_t(slot)].Get();
  if (IsNilObject(v) || v->GetClassID() != classId || v->GetCount() < m_polygonData.VertexCount) return nullptr;
  return v->GetData();
}

bool SPolygonGeometry_I::RefreshForDraw(int32_t mode) {
  if (!m_upToDate) RefreshPolygonData();
  if (!m_drawable) {
    if (!m_refusalLogged) {
      m_refusalLogged = true;
      Validate();
    }
    return false;
  }
  // The line and point passes draw each triangle's three edges or corners.
  if (mode == PassMode::kMain)
    AddFrameCount(g_FramePrimitiveCount, m_triangleCount);
  else if (mode == PassMode::kLinesThrough || mode == PassMode::kLinesOver)
    AddFrameCount(g_FrameLineCount, 3 * int64_t(m_triangleCount));
  else if (mode == PassMode::kPointsOver)
    AddFrameCount(g_FramePointCount, 3 * int64_t(m_triangleCount));
  return true;
}

void SPolygonGeometry_I::BindPassStreams(RenderEngine* engine) {
  PolygonData& d = m_polygonData;
  const ShaderPassState* pass = engine->GetShaderPassState();
  d.ColorArray = nullptr;
  d.TexCoordArray0 = nullptr;
  d.TexCoordArray1 = nullptr;
  if (pass) {
    d.ColorArray = static_cast<const Vector4f*>(
        PassStream(pass->Words[ShaderPassState::kColorStream], VertexDataVector4f_I::kClassId));
    d.TexCoordArray0 = static_cast<const Vector2f*>(
        PassStream(pass->Words[ShaderPassState::kTexCoordStream0], VertexDataVector2f_I::kClassId));
    d.TexCoordArray1 = static_cast<const Vector2f*>(
        PassStream(pass->Words[ShaderPassState::kTexCoordStream1], VertexDataVector2f_I::kClassId));
  }
  // A stream does not know its geometries, so a new array in it is found here: the cache compares only
  // addresses, and a freed block can come back for the new array. The blocks bound last are held (typed
  // streams keep their elements in counted blocks), so an address equal to theirs is the same array; the
  // change is marked rather than left to the cache, which does not see the binds of the plain passes.
  if (d.ColorArray != m_boundColors.Get() || d.TexCoordArray0 != m_boundTexCoords[0].Get() ||
      d.TexCoordArray1 != m_boundTexCoords[1].Get())
    HoldBoundStreams();
}

void SPolygonGeometry_I::HoldBoundStreams() {
  const PolygonData& d = m_polygonData;
  uint32_t changed = 0;
  if (d.ColorArray != m_boundColors.Get()) {
    m_boundColors = d.ColorArray;
    changed |= PolygonData::kDynamicColors;
  }
  const Vector2f* texCoords[2] = {d.TexCoordArray0, d.TexCoordArray1};
  for (int i = 0; i < 2; ++i) {
    if (texCoords[i] == m_boundTexCoords[i].Get()) continue;
    m_boundTexCoords[i] = texCoords[i];
    changed |= i == 0 ? PolygonData::kDynamicTexCoords0 : PolygonData::kDynamicTexCoords1;
  }
  NotifyPolygonCache(changed);
}

void SPolygonGeometry_I::DrawPlainPass(RenderEngine* engine, int32_t mode) {
  PolygonData plain = m_polygonData;
  plain.NormalArray = nullptr;
  plain.ColorArray = nullptr;
  plain.TexCoordArray0 = nullptr;
  plain.TexCoordArray1 = nullptr;
  const Vector4f white{1, 1, 1, 1};
  engine->SetMaterialColor(&white);
  // A throw-away cache: these passes must not disturb the buffers of the material pass.
  Ptr<RenderPolygonCache> cache;
  engine->DrawPolygonData(&plain, &cache);
  if (mode == PassMode::kLinesOver && !m_normals.IsEmpty()) {
    const Vector4f cyan{0, 1, 1, 1};
    engine->SetMaterialColor(&cyan);
  }
  if (cache) {
    cache->Unload();
    cache.Clear();
  }
}

int32_t SPolygonGeometry_I::DrawEngine(RenderEngine* engine, const Vector4f* colors) {
  if (!m_tablesBuilt) BuildRenderData();
  const int32_t mode = engine->GetPassMode();
  if (!RefreshForDraw(mode)) return 0;

  BindPassStreams(engine);
  PolygonData& d = m_polygonData;
  if (mode == PassMode::kMain) {
    if (!d.ColorArray) engine->SetMaterialColorBlend(&colors[0], &colors[1]);
    if (!d.NormalArray && m_normals.Count() == 1) engine->SetNormal(&m_normals[0]);
    engine->DrawPolygonData(&d, &m_polygonCache);
  } else if (mode == PassMode::kLinesThrough || mode == PassMode::kLinesOver || mode == PassMode::kPointsOver) {
    DrawPlainPass(engine, mode);
  }
  return 1;
}

}  // namespace PM
