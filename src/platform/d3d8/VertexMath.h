// The small vector algebra of the device's vertex stage (row vectors times D3DMATRIX, as Direct3D
// multiplies) and the reading of one stream element into four floats.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/d3d8/D3D8.h"

namespace PM::SoftD3D {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
// A zero (or non-finite) vector stays as it is: it lights nothing rather than dividing by zero.
inline Vec3 Normalized(Vec3 a) {
  const float length = Length(a);
  return length > 0.0f && std::isfinite(length) ? a * (1.0f / length) : a;
}

// p × m for a point (w = 1), keeping x, y, z.
inline Vec3 TransformPoint(Vec3 p, const D3DMATRIX& m) {
  return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
          p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
          p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}
// v × m for a direction (w = 0).
inline Vec3 TransformDirection(Vec3 v, const D3DMATRIX& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}
// v × m for a full four-component row vector.
inline void Transform4(const float v[4], const D3DMATRIX& m, float out[4]) {
  for (int j = 0; j < 4; ++j) out[j] = v[0] * m.m[0][j] + v[1] * m.m[1][j] + v[2] * m.m[2][j] + v[3] * m.m[3][j];
}

// The matrix that carries normals as `m` carries directions: the inverse transpose of its upper 3 × 3
// (in the upper 3 × 3 of the result). A singular matrix gives its cofactors, which still point normals
// the right way where they exist.
inline D3DMATRIX NormalMatrix(const D3DMATRIX& m) {
  const auto& a = m.m;
  float c[3][3];  // cofactors: the inverse transpose times the determinant
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      c[i][j] = a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1];
    }
  const float det = a[0][0] * c[0][0] + a[0][1] * c[0][1] + a[0][2] * c[0][2];
  const float scale = det != 0.0f && std::isfinite(det) ? 1.0f / det : 1.0f;
  D3DMATRIX r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = c[i][j] * scale;
  r.m[3][3] = 1.0f;
  return r;
}

inline D3DCOLORVALUE ColorOf(uint32_t argb) {
  constexpr float k = 1.0f / 255.0f;
  return {float(argb >> 16 & 0xFF) * k, float(argb >> 8 & 0xFF) * k, float(argb & 0xFF) * k, float(argb >> 24) * k};
}

// One element as four floats; what the type lacks is (0, 0, 0, 1). D3DCOLOR reads as r, g, b, a.
inline void ReadElement(const uint8_t* at, uint32_t type, float out[4]) {
  out[0] = out[1] = out[2] = 0.0f, out[3] = 1.0f;
  switch (type) {
    case D3DVSDT_FLOAT1:
    case D3DVSDT_FLOAT2:
    case D3DVSDT_FLOAT3:
    case D3DVSDT_FLOAT4:
      std::memcpy(out, at, 4 * (type + 1));
      break;
    case D3DVSDT_D3DCOLOR: {
      uint32_t argb;
      std::memcpy(&argb, at, 4);
      const D3DCOLORVALUE c = ColorOf(argb);
      out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a;
      break;
    }
    case D3DVSDT_UBYTE4:
      for (int i = 0; i < 4; ++i) out[i] = float(at[i]);
      break;
    case D3DVSDT_SHORT2:
    case D3DVSDT_SHORT4:
      for (uint32_t i = 0; i < (type == D3DVSDT_SHORT2 ? 2u : 4u); ++i) {
        int16_t v;
        std::memcpy(&v, at + 2 * i, 2);
        out[i] = float(v);
      }
      break;
    default:  // a type no declaration makes: the element reads as missing
      break;
  }
}

}  // namespace PM::SoftD3D
