// Vertex fog of the device's vertex stage: the factor (1 clear .. 0 only the fog colour) of LINEAR, EXP
// or EXP2 fog over a vertex's camera-space depth, or its distance when range fog is on. It applies when
// fog is on and table (per-pixel) fog is off.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"

namespace PM::SoftD3D {

class VertexFog {
 public:
  explicit VertexFog(const DWORD* renderStates);

  bool Active() const { return m_mode != D3DFOG_NONE; }
  bool UsesRange() const { return m_range; }
  // The factor at a camera-space depth or distance, clamped to 0..1.
  float Factor(float distance) const;

 private:
  DWORD m_mode = D3DFOG_NONE;
  bool m_range = false;
  float m_start = 0, m_end = 1, m_density = 1;
};

}  // namespace PM::SoftD3D
