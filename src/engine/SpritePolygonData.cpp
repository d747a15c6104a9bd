#include "engine/SpritePolygonData.h"

namespace PM {

namespace {

constexpr float kS3 = SpritePolygonData::kSqrt3;

// A sprite's right and up axes already scaled by its half width and half height.
struct Axes {
  float rx, ry, ux, uy;
};

inline Axes Rolled(const Matrix4f& roll, const Vector3f& size) {
  return {size.x * roll.m[0], size.x * roll.m[4], size.y * roll.m[1], size.y * roll.m[5]};
}
inline Axes Aligned(const Vector3f& size) { return {size.x, 0.0f, 0.0f, size.y}; }

// Vertices keep the centre's depth; only x and y move.
inline void WriteTriangle(Vector3f* v, const Vector3f& c, const Axes& e) {
  v[0] = {c.x + 2.0f * e.ux, c.y + 2.0f * e.uy, c.z};
  v[1] = {c.x - e.ux - kS3 * e.rx, c.y - e.uy - kS3 * e.ry, c.z};
  v[2] = {c.x - e.ux + kS3 * e.rx, c.y - e.uy + kS3 * e.ry, c.z};
}

inline void WriteQuad(Vector3f* v, const Vector3f& c, const Axes& e) {
  v[0] = {c.x - e.rx - e.ux, c.y - e.ry - e.uy, c.z};
  v[1] = {c.x + e.rx - e.ux, c.y + e.ry - e.uy, c.z};
  v[2] = {c.x + e.rx + e.ux, c.y + e.ry + e.uy, c.z};
  v[3] = {c.x - e.rx + e.ux, c.y - e.ry + e.uy, c.z};
}

inline void WriteTriangleTex(Vector2f* v, const Vector2f& c, const Vector2f& r) {
  v[0] = {c.x, c.y + 2.0f * r.y};
  v[1] = {c.x - kS3 * r.x, c.y - r.y};
  v[2] = {c.x + kS3 * r.x, c.y - r.y};
}

inline void WriteQuadTex(Vector2f* v, const Vector2f& c, const Vector2f& r) {
  v[0] = {c.x - r.x, c.y - r.y};
  v[1] = {c.x + r.x, c.y - r.y};
  v[2] = {c.x + r.x, c.y + r.y};
  v[3] = {c.x - r.x, c.y + r.y};
}

// Every sprite with the same axes. The inputs are copied first: the outputs could alias them as far as
// the compiler knows, which would reload the matrix for every vertex.
template <int N, void (*Write)(Vector3f*, const Vector3f&, const Axes&)>
void AllPositions(const SpritePolygonData& d, const Axes& e) {
  const Matrix4f mv = d.modelView;
  const Vector3f* __restrict in = d.translations;
  Vector3f* __restrict out = d.positions;
  const int32_t n = d.spriteCount;
  for (int32_t i = 0; i < n; ++i) Write(out + N * i, SpritePolygonData::TransformPoint(in[i], mv), e);
}

template <int N, void (*Write)(Vector2f*, const Vector2f&, const Vector2f&)>
void AllTexCoords(const SpritePolygonData& d, int32_t a) {
  const Vector2f c = d.texCoordCenters[a], r = d.texCoordRadii[a];
  Vector2f* __restrict out = d.texCoords;
  const int32_t n = d.spriteCount;
  for (int32_t i = 0; i < n; ++i) Write(out + N * i, c, r);
}

template <int N>
void FillColor(Vector4f* out, const Vector4f& c) {
  for (int k = 0; k < N; ++k) out[k] = c;
}

}  // namespace

// Triangles.

void SpritePolygonData::TrianglePositionsAll(int32_t a) {
  AllPositions<3, WriteTriangle>(*this, Rolled(roll, sizes[a]));
}

void SpritePolygonData::TrianglePositions(int32_t i, int32_t a) {
  WriteTriangle(positions + 3 * i, TransformPoint(translations[i], modelView), Rolled(roll, sizes[a]));
}

void SpritePolygonData::TrianglePositionsBlend(int32_t i, int32_t a, int32_t b, float t) {
  WriteTriangle(positions + 3 * i, TransformPoint(translations[i], modelView),
                Rolled(roll, Vector3f::Lerp(sizes[a], sizes[b], t)));
}

void SpritePolygonData::TrianglePositionsAllAligned(int32_t a) {
  AllPositions<3, WriteTriangle>(*this, Aligned(sizes[a]));
}

void SpritePolygonData::TrianglePositionsAligned(int32_t i, int32_t a) {
  WriteTriangle(positions + 3 * i, TransformPoint(translations[i], modelView), Aligned(sizes[a]));
}

void SpritePolygonData::TrianglePositionsBlendAligned(int32_t i, int32_t a, int32_t b, float t) {
  WriteTriangle(positions + 3 * i, TransformPoint(translations[i], modelView),
                Aligned(Vector3f::Lerp(sizes[a], sizes[b], t)));
}

void SpritePolygonData::TriangleTexCoordsAll(int32_t a) { AllTexCoords<3, WriteTriangleTex>(*this, a); }

void SpritePolygonData::TriangleTexCoords(int32_t i, int32_t a) {
  WriteTriangleTex(texCoords + 3 * i, texCoordCenters[a], texCoordRadii[a]);
}

void SpritePolygonData::TriangleColors(int32_t i, int32_t a) { FillColor<3>(colors + 3 * i, appearanceColors[a]); }

void SpritePolygonData::TriangleColorsBlend(int32_t i, int32_t a, int32_t b, float t) {
  Vector4f c;
  c.SetLerp(appearanceColors[a], appearanceColors[b], t);
  FillColor<3>(colors + 3 * i, c);
}

// Quads.

void SpritePolygonData::QuadPositionsAll(int32_t a) { AllPositions<4, WriteQuad>(*this, Rolled(roll, sizes[a])); }

void SpritePolygonData::QuadPositions(int32_t i, int32_t a) {
  WriteQuad(positions + 4 * i, TransformPoint(translations[i], modelView), Rolled(roll, sizes[a]));
}

void SpritePolygonData::QuadPositionsBlend(int32_t i, int32_t a, int32_t b, float t) {
  WriteQuad(positions + 4 * i, TransformPoint(translations[i], modelView),
            Rolled(roll, Vector3f::Lerp(sizes[a], sizes[b], t)));
}

void SpritePolygonData::QuadPositionsAllAligned(int32_t a) { AllPositions<4, WriteQuad>(*this, Aligned(sizes[a])); }

void SpritePolygonData::QuadPositionsAligned(int32_t i, int32_t a) {
  WriteQuad(positions + 4 * i, TransformPoint(translations[i], modelView), Aligned(sizes[a]));
}

void SpritePolygonData::QuadPositionsBlendAligned(int32_t i, int32_t a, int32_t b, float t) {
  WriteQuad(positions + 4 * i, TransformPoint(translations[i], modelView),
            Aligned(Vector3f::Lerp(sizes[a], sizes[b], t)));
}

void SpritePolygonData::QuadTexCoordsAll(int32_t a) { AllTexCoords<4, WriteQuadTex>(*this, a); }

void SpritePolygonData::QuadTexCoords(int32_t i, int32_t a) {
  WriteQuadTex(texCoords + 4 * i, texCoordCenters[a], texCoordRadii[a]);
}

void SpritePolygonData::QuadColors(int32_t i, int32_t a) { FillColor<4>(colors + 4 * i, appearanceColors[a]); }

void SpritePolygonData::QuadColorsBlend(int32_t i, int32_t a, int32_t b, float t) {
  Vector4f c;
  c.SetLerp(appearanceColors[a], appearanceColors[b], t);
  FillColor<4>(colors + 4 * i, c);
}

}  // namespace PM
