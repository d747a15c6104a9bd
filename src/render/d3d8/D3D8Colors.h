// Colours and floats as Direct3D 8 takes them in render states and vertices: channels scaled by 255,
// clamped to 0..255 and truncated (NaN gives 0), packed 0xAARRGGBB; floats by their bits.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

inline uint32_t ColorByte(float v) {
  if (!(v > 0.0f)) return 0;
  return v >= 1.0f ? 255u : uint32_t(v * 255.0f);
}

inline uint32_t PackOpaqueColor(const Vector3f& c) {
  return 0xFF000000u | ColorByte(c.x) << 16 | ColorByte(c.y) << 8 | ColorByte(c.z);
}

inline uint32_t PackColor(const Vector4f& c) {
  return ColorByte(c.w) << 24 | ColorByte(c.x) << 16 | ColorByte(c.y) << 8 | ColorByte(c.z);
}

inline uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

}  // namespace PM
