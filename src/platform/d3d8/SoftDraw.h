// What the device's draw files share: one draw's vertex source and the matrix product.
#pragma once

#include <cstring>

#include "platform/d3d8/SoftDevice.h"

namespace PM::SoftD3D {

struct Device::Draw {
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  uint32_t indexCount = 0;  // vertices the primitives walk
  VertexLayout layout;
  const uint8_t* streams[16] = {};
  uint32_t strides[16] = {};
  uint32_t firstVertex = 0;  // the vertices transformed: firstVertex .. firstVertex + vertexCount - 1
  uint32_t vertexCount = 0;
  const uint8_t* indices = nullptr;  // null: the vertices in order
  bool index32 = false;
  bool userPointers = false;  // the caller's arrays, which may change unseen between draws
};

inline uint32_t ReadIndex(const uint8_t* indices, bool index32, uint32_t i) {
  if (index32) {
    uint32_t v;
    std::memcpy(&v, indices + size_t(i) * 4, 4);
    return v;
  }
  uint16_t v;
  std::memcpy(&v, indices + size_t(i) * 2, 2);
  return v;
}

inline D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
  return r;
}

}  // namespace PM::SoftD3D
