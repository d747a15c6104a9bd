// Drawing sprite geometry: the billboards are built in eye space from the node's model-view, each
// sprite showing its selected appearance (or a blend of two), and handed to the engine as one record.
#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "engine/FramePrimitiveCount.h"
#include "engine/RenderEngine.h"
#include "engine/SpritePolygonData.h"
#include "geometry/SpriteGeometry.h"

namespace PM {

namespace {

constexpr float kRadiansPerDegree = 0.017453292f;
// Indices, positions, colours and texture coordinates are rewritten by every draw.
constexpr uint32_t kRecordFlags = PolygonData::kDynamicIndices | PolygonData::kDynamicPositions |
                                  PolygonData::kDynamicColors | PolygonData::kDynamicTexCoords0;
constexpr uint32_t kCacheFlags = kRecordFlags | PolygonData::kCountsChanged;
// The engine's scratch arrays the record's buffers live in.
enum : int32_t { kScratchIndices, kScratchPositions, kScratchTexCoords, kScratchColors };

const Vector3f kDefaultSize{0.5f, 0.5f, 0.5f};
const Vector2f kDefaultTexCoord{0.5f, 0.5f};  // centre and radius: the whole texture

// The generators of one sprite shape.
using D = SpritePolygonData;
struct SpriteForms {
  uint32_t primType;
  int32_t verticesPerSprite, trianglesPerSprite;
  void (D::*positionsAll)(int32_t);
  void (D::*positions)(int32_t, int32_t);
  void (D::*positionsBlend)(int32_t, int32_t, int32_t, float);
  void (D::*positionsAllAligned)(int32_t);
  void (D::*texCoordsAll)(int32_t);
  void (D::*texCoords)(int32_t, int32_t);
  void (D::*colors)(int32_t, int32_t);
  void (D::*colorsBlend)(int32_t, int32_t, int32_t, float);
};

constexpr SpriteForms kTriangleForms{PrimitiveType::kTriangle,
                                     3,
                                     1,
                                     &D::TrianglePositionsAll,
                                     &D::TrianglePositions,
                                     &D::TrianglePositionsBlend,
                                     &D::TrianglePositionsAllAligned,
                                     &D::TriangleTexCoordsAll,
                                     &D::TriangleTexCoords,
                                     &D::TriangleColors,
                                     &D::TriangleColorsBlend};
constexpr SpriteForms kQuadForms{PrimitiveType::kQuad,
                                 4,
                                 2,
                                 &D::QuadPositionsAll,
                                 &D::QuadPositions,
                                 &D::QuadPositionsBlend,
                                 &D::QuadPositionsAllAligned,
                                 &D::QuadTexCoordsAll,
                                 &D::QuadTexCoords,
                                 &D::QuadColors,
                                 &D::QuadColorsBlend};

// The appearance a sprite shows: a blend from a toward b by t.
struct Pick {
  int32_t a, b;
  float t;
};

// Select value s picks a = trunc(s) mod count (the remainder takes s's sign; a negative one becomes 0),
// b = the next appearance, t = the fraction of s (negative for negative s: the blend extrapolates).
Pick Select(const Array<float>& select, int32_t i, int32_t count) {
  const Pick first{0, 1 % count, 0.0f};
  if (i >= select.Count()) return first;
  const float s = select[i];
  // trunc(s) must fit an integer: NaN, infinities and huge values show the first appearance.
  if (!(std::fabs(s) < 2147483648.0f)) return first;
  int32_t a = int32_t(s) % count;
  if (a < 0) a = 0;
  return {a, (a + 1) % count, std::fmod(s, 1.0f)};
}

inline int32_t Limit(int32_t index, int32_t count) { return index < count ? index : count - 1; }

void AddTriangles(int64_t triangles) {
  // Wrapping on purpose: the counter is statistics and must not overflow into undefined behaviour.
  g_FramePrimitiveCount = int32_t(uint32_t(g_FramePrimitiveCount) + uint32_t(triangles));
}

}  // namespace

SSpriteGeometry_I::~SSpriteGeometry_I() {
  if (m_polygonCache) {
    m_polygonCache->Unload();
    m_polygonCache.Clear();
  }
}

int32_t SSpriteGeometry_I::Draw(RenderEngine* engine, const Vector4f* colors) {
  if (engine->GetPassMode() == PassMode::kPlain) return 0;
  return DrawEngine(engine, colors);
}

int32_t SSpriteGeometry_I::DrawEngine(RenderEngine* engine, const Vector4f* colors) {
  if (engine->GetPassMode() != PassMode::kMain) return 1;
  const int32_t n = m_translations.Count();
  if (n > kMaxSprites) {
    LogError("SSpriteGeometry::Draw: ", n, " sprites exceed the limit of ", kMaxSprites, "; nothing drawn.");
    return 0;
  }
  const SpriteForms& f = m_spriteType == kQuad ? kQuadForms : kTriangleForms;
  const int32_t nv = n * f.verticesPerSprite;

  SpriteAppearances_I* look = m_appearances.Get();
  const bool withLooks = !IsNilObject(look) && look->m_appearanceCount > 0;
  const bool vertexColors = withLooks && look->m_colors.Count() >= 2;

  // The buffers are the engine's scratch arrays, kept and grown to the largest set drawn.
  SpritePolygonData d;
  auto* indices = reinterpret_cast<uint32_t*>(engine->GetScratchArray(kScratchIndices, nv * 4));
  d.positions = reinterpret_cast<Vector3f*>(engine->GetScratchArray(kScratchPositions, nv * 12));
  d.texCoords = reinterpret_cast<Vector2f*>(engine->GetScratchArray(kScratchTexCoords, nv * 8));
  if (vertexColors) d.colors = reinterpret_cast<Vector4f*>(engine->GetScratchArray(kScratchColors, nv * 16));
  if (!indices || !d.positions || !d.texCoords || (vertexColors && !d.colors)) {
    LogError("SSpriteGeometry::Draw: no vertex buffers for ", n, " sprites; nothing drawn.");
    return 0;
  }

  Matrix4f modelView;
  engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &modelView);
  engine->SetMaterialColorBlend(&colors[0], &colors[1]);

  PolygonData& p = d.polygon;
  p.PrimType = f.primType;
  p.PrimCount = n;
  p.IndexCount = nv;
  p.VertexCount = nv;
  AddTriangles(int64_t(n) * f.trianglesPerSprite);
  for (int32_t k = 0; k < nv; ++k) indices[k] = uint32_t(k);
  p.IndexArray = indices;
  p.VertexArray = d.positions;
  p.TexCoordArray0 = d.texCoords;
  p.ColorArray = d.colors;
  p.DynamicMask = kRecordFlags;

  d.spriteCount = n;
  d.modelView = modelView;
  d.translations = m_translations.Data();

  if (!withLooks) {
    d.sizes = &kDefaultSize;
    d.texCoordCenters = d.texCoordRadii = &kDefaultTexCoord;
    (d.*f.positionsAllAligned)(0);
    (d.*f.texCoordsAll)(0);
  } else {
    Vector3f scale, shear, angles;
    DecomposeMatrix(modelView, scale, shear, angles);
    const float roll = m_roll * kRadiansPerDegree + (m_inheritRoll ? angles.z : 0.0f);
    d.roll.SetRotationZ(roll);
    if (m_inheritScaling) {
      Matrix4f s, sh;
      s.SetScale(scale);
      sh.SetShear(shear);
      s.SetProduct(s, sh);
      d.roll.SetProduct(s, d.roll);
    }
    // Scaling.x stretches the right axis R = (m00, m10), Scaling.y the up axis U = (m01, m11).
    d.roll.m[0] *= m_scaling.x;
    d.roll.m[4] *= m_scaling.x;
    d.roll.m[1] *= m_scaling.y;
    d.roll.m[5] *= m_scaling.y;

    const int32_t count = look->m_appearanceCount;
    const int32_t nSizes = look->m_radii.Count();
    const int32_t nTex = std::min(look->m_texCoordCenters.Count(), look->m_texCoordRadii.Count());
    const int32_t nColors = look->m_colors.Count();
    const bool perSize = nSizes >= 2, perTex = nTex >= 2;

    d.sizes = nSizes > 0 ? look->m_radii.Data() : &kDefaultSize;
    if (nTex > 0) {
      d.texCoordCenters = look->m_texCoordCenters.Data();
      d.texCoordRadii = look->m_texCoordRadii.Data();
    } else {
      d.texCoordCenters = d.texCoordRadii = &kDefaultTexCoord;
    }
    d.appearanceColors = look->m_colors.Data();
    if (!perSize) (d.*f.positionsAll)(0);
    if (!perTex) (d.*f.texCoordsAll)(0);
    if (nColors == 1) engine->SetMaterialColor(&look->m_colors[0]);

    if (perSize || perTex || vertexColors) {
      const bool blendSize = look->m_interpolateRadius, blendColor = look->m_interpolateColor;
      for (int32_t i = 0; i < n; ++i) {
        const Pick s = Select(m_appearanceSelect, i, count);
        if (perSize) {
          const int32_t a = Limit(s.a, nSizes);
          if (blendSize)
            (d.*f.positionsBlend)(i, a, Limit(s.b, nSizes), s.t);
          else
            (d.*f.positions)(i, a);
        }
        // A rectangle is a centre and a radius: only entries that have both are shown.
        if (perTex) (d.*f.texCoords)(i, Limit(s.a, nTex));
        if (vertexColors) {
          const int32_t a = Limit(s.a, nColors);
          if (blendColor)
            (d.*f.colorsBlend)(i, a, Limit(s.b, nColors), s.t);
          else
            (d.*f.colors)(i, a);
        }
      }
    }
  }

  const Vector3f normal{0, 0, 1};
  engine->SetNormal(&normal);
  if (m_polygonCache) m_polygonCache->SetDirty(kCacheFlags);
  // The sprites face the eye whatever mirror their node is under (a mirror inherited as scaling comes out
  // of the split as a half turn); only a corner matrix that flips one of its axes, by its own Scaling,
  // winds them the other way.
  const float* r = d.roll.m;
  engine->SetEyeSpaceMirror(withLooks && r[0] * r[5] - r[1] * r[4] < 0.0f);
  engine->DrawPolygonData(&p, &m_polygonCache);
  engine->SetEyeSpaceMirror(false);
  engine->LoadModelViewMatrix(&modelView);
  return 1;
}

}  // namespace PM
