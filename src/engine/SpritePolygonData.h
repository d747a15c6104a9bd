// SpritePolygonData: the draw record of a sprite set (camera-facing triangles or quads, one per sprite)
// and the generators that write its eye-space vertices, texture coordinates and colours. Sprite geometry,
// particles and lens flares fill the inputs, point the outputs at buffers large enough for the sprites
// and call the generators they need; nothing here allocates.
#pragma once

#include <cstdint>

#include "core/Matrix4f.h"
#include "engine/PolygonData.h"

namespace PM {

struct SpritePolygonData {
  // The square root of 3: a triangle of half width w around its inscribed circle reaches s3 w sideways.
  static constexpr float kSqrt3 = 1.7320508f;

  PolygonData polygon;
  int32_t spriteCount = 0;
  // Outputs: sprite i starts at vertex 3i (triangles) or 4i (quads).
  Vector3f* positions = nullptr;
  Vector2f* texCoords = nullptr;
  Vector4f* colors = nullptr;
  // Inputs. The roll matrix turns the sprites in the view plane: their right axis is R = (m00, m10),
  // their up axis U = (m01, m11).
  Matrix4f modelView = kIdentityMatrix4f;
  Matrix4f roll = kIdentityMatrix4f;
  const Vector3f* translations = nullptr;      // one centre per sprite
  const Vector3f* sizes = nullptr;             // per appearance: x half width, y half height
  const Vector2f* texCoordCenters = nullptr;   // per appearance
  const Vector2f* texCoordRadii = nullptr;     // per appearance
  const Vector4f* appearanceColors = nullptr;  // per appearance

  // Triangles (top, lower left, lower right) around the rolled or the view's own axes.
  void TrianglePositionsAll(int32_t a);
  void TrianglePositions(int32_t i, int32_t a);
  void TrianglePositionsBlend(int32_t i, int32_t a, int32_t b, float t);
  void TrianglePositionsAllAligned(int32_t a);
  void TrianglePositionsAligned(int32_t i, int32_t a);
  void TrianglePositionsBlendAligned(int32_t i, int32_t a, int32_t b, float t);
  void TriangleTexCoordsAll(int32_t a);
  void TriangleTexCoords(int32_t i, int32_t a);
  void TriangleColors(int32_t i, int32_t a);
  void TriangleColorsBlend(int32_t i, int32_t a, int32_t b, float t);

  // Quads (lower left, lower right, upper right, upper left).
  void QuadPositionsAll(int32_t a);
  void QuadPositions(int32_t i, int32_t a);
  void QuadPositionsBlend(int32_t i, int32_t a, int32_t b, float t);
  void QuadPositionsAllAligned(int32_t a);
  void QuadPositionsAligned(int32_t i, int32_t a);
  void QuadPositionsBlendAligned(int32_t i, int32_t a, int32_t b, float t);
  void QuadTexCoordsAll(int32_t a);
  void QuadTexCoords(int32_t i, int32_t a);
  void QuadColors(int32_t i, int32_t a);
  void QuadColorsBlend(int32_t i, int32_t a, int32_t b, float t);

  // p x m in the row-vector convention (translation row included).
  static Vector3f TransformPoint(const Vector3f& p, const Matrix4f& m) {
    Vector3f out;
    Matrix4fC::TransformPoint(out, p, m);
    return out;
  }
};

}  // namespace PM
