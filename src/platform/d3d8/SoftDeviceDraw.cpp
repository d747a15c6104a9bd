// The device's draws: vertex sources (FVF and declarations, user pointers and buffers), their checks,
// primitive assembly and the rasterizer.
#include <algorithm>
#include <cstring>

#include "platform/d3d8/SoftDraw.h"
#include "platform/d3d8/SoftState.h"

namespace PM::SoftD3D {

namespace {

constexpr uint32_t kMaxDeclarationTokens = 64;
constexpr uint32_t kDeclarationStreams = 5;

uint32_t ElementSize(DWORD type) {
  switch (type) {
    case D3DVSDT_FLOAT2: return 8;
    case D3DVSDT_FLOAT3: return 12;
    case D3DVSDT_D3DCOLOR: return 4;
    default: return 0;
  }
}

bool IsDeclarationHandle(DWORD handle) { return (handle & 1) != 0; }

uint32_t ReadIndex(const uint8_t* indices, bool index32, uint32_t i) {
  if (index32) {
    uint32_t v;
    std::memcpy(&v, indices + size_t(i) * 4, 4);
    return v;
  }
  uint16_t v;
  std::memcpy(&v, indices + size_t(i) * 2, 2);
  return v;
}

// The end of the bytes an element of a vertex occupies, for checks against a stream's size.
uint64_t ElementEnd(const VertexElement& e, uint64_t vertex, uint32_t stride) {
  return vertex * stride + e.offset + e.size;
}

}  // namespace

HRESULT Device::CheckDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, uint32_t* indexCount) const {
  if (!m_inScene || primitiveCount > m_caps.MaxPrimitiveCount) return D3DERR_INVALIDCALL;
  const uint64_t n = primitiveCount;
  switch (type) {
    case D3DPT_POINTLIST: *indexCount = uint32_t(n); break;
    case D3DPT_LINELIST: *indexCount = uint32_t(n * 2); break;
    case D3DPT_LINESTRIP: *indexCount = uint32_t(n + 1); break;
    case D3DPT_TRIANGLELIST: *indexCount = uint32_t(n * 3); break;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: *indexCount = uint32_t(n + 2); break;
    default: return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

bool Device::LayoutOf(DWORD shader, VertexLayout* out) const {
  *out = VertexLayout{};
  if (!IsDeclarationHandle(shader)) {
    if (!(shader & D3DFVF_XYZ)) return false;
    uint32_t offset = 12;
    out->position = {0, 0, 12};
    if (shader & D3DFVF_NORMAL) offset += 12;
    if (shader & D3DFVF_DIFFUSE) out->diffuse = {0, offset, 4};
    return true;
  }
  const size_t index = shader >> 1;
  if (index >= m_declarations.size() || m_declarations[index].empty()) return false;
  int32_t stream = -1;
  uint32_t offset = 0;
  for (DWORD token : m_declarations[index]) {
    if (token == D3DVSD_END) break;
    if (token >> 29 == D3DVSD_TOKEN_STREAM) {
      stream = int32_t(token & 0xF), offset = 0;
      continue;
    }
    const DWORD type = token >> 16 & 0xF, reg = token & 0x1F;
    const VertexElement e{stream, offset, ElementSize(type)};
    if (reg == D3DVSDE_POSITION && type == D3DVSDT_FLOAT3) out->position = e;
    if (reg == D3DVSDE_DIFFUSE && type == D3DVSDT_D3DCOLOR) out->diffuse = e;
    offset += e.size;
  }
  return out->position.stream >= 0;
}

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) {
  LogCall("IDirect3DDevice8::CreateVertexShader(usage 0x%X)", usage);
  if (!declaration || function || !handle) return D3DERR_INVALIDCALL;  // declarations only, no programs
  std::vector<DWORD> tokens;
  int32_t stream = -1;
  for (uint32_t i = 0;; ++i) {
    if (i >= kMaxDeclarationTokens) return D3DERR_INVALIDCALL;
    const DWORD token = declaration[i];
    tokens.push_back(token);
    if (token == D3DVSD_END) break;
    const DWORD kind = token >> 29;
    if (kind == D3DVSD_TOKEN_STREAM) {
      stream = int32_t(token & 0x1FFFFFFF);
      if (stream >= int32_t(kDeclarationStreams)) return D3DERR_INVALIDCALL;
    } else if (kind != D3DVSD_TOKEN_STREAMDATA || stream < 0 || ElementSize(token >> 16 & 0xF) == 0) {
      return D3DERR_INVALIDCALL;
    }
  }
  m_declarations.push_back(std::move(tokens));
  *handle = DWORD((m_declarations.size() - 1) << 1 | 1);
  return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD handle) {
  LogCall("IDirect3DDevice8::SetVertexShader(0x%X)", handle);
  VertexLayout layout;
  if (IsDeclarationHandle(handle) && !LayoutOf(handle, &layout)) return D3DERR_INVALIDCALL;
  m_vertexShader = handle;
  return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
  if (!handle) return D3DERR_INVALIDCALL;
  *handle = m_vertexShader;
  return D3D_OK;
}

HRESULT Device::DeleteVertexShader(DWORD handle) {
  const size_t index = handle >> 1;
  if (!IsDeclarationHandle(handle) || index >= m_declarations.size() || m_declarations[index].empty())
    return D3DERR_INVALIDCALL;
  m_declarations[index].clear();
  if (m_vertexShader == handle) m_vertexShader = 0;
  return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
  LogCall("IDirect3DDevice8::DrawPrimitiveUP(%u, %u, stride %u)", type, primitiveCount, stride);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!vertices || IsDeclarationHandle(m_vertexShader) || !LayoutOf(m_vertexShader, &d.layout) ||
      stride < d.layout.position.size || (d.layout.diffuse.stream >= 0 && stride < d.layout.diffuse.offset + 4))
    return D3DERR_INVALIDCALL;
  d.streams[0] = static_cast<const uint8_t*>(vertices);
  d.strides[0] = stride;
  d.vertexCount = d.indexCount;
  return RunDraw(d);
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride) {
  LogCall("IDirect3DDevice8::DrawIndexedPrimitiveUP(%u, %u, %u, %u, stride %u)", type, minIndex, vertexCount,
          primitiveCount, stride);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!vertices || !indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
      IsDeclarationHandle(m_vertexShader) || !LayoutOf(m_vertexShader, &d.layout) || stride < d.layout.position.size ||
      (d.layout.diffuse.stream >= 0 && stride < d.layout.diffuse.offset + 4))
    return D3DERR_INVALIDCALL;
  d.streams[0] = static_cast<const uint8_t*>(vertices);
  d.strides[0] = stride;
  d.firstVertex = minIndex, d.vertexCount = vertexCount;
  d.indices = static_cast<const uint8_t*>(indices);
  d.index32 = indexFormat == D3DFMT_INDEX32;
  return RunDraw(d);
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  LogCall("IDirect3DDevice8::DrawPrimitive(%u, %u, %u)", type, startVertex, primitiveCount);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!LayoutOf(m_vertexShader, &d.layout)) return D3DERR_INVALIDCALL;
  d.firstVertex = startVertex, d.vertexCount = d.indexCount;
  for (const VertexElement* e : {&d.layout.position, &d.layout.diffuse}) {
    if (e->stream < 0) continue;
    const Stream& s = m_streams[e->stream];
    if (!s.buffer || (d.vertexCount && ElementEnd(*e, uint64_t(startVertex) + d.vertexCount - 1, s.stride) >
                                           s.buffer->Bytes().size()))
      return D3DERR_INVALIDCALL;
    d.streams[e->stream] = s.buffer->Bytes().data(), d.strides[e->stream] = s.stride;
  }
  return RunDraw(d);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                     UINT primitiveCount) {
  LogCall("IDirect3DDevice8::DrawIndexedPrimitive(%u, %u, %u, %u, %u)", type, minIndex, vertexCount, startIndex,
          primitiveCount);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!m_indices || !LayoutOf(m_vertexShader, &d.layout)) return D3DERR_INVALIDCALL;
  d.index32 = m_indices->FormatWord() == D3DFMT_INDEX32;
  const uint64_t indexBytes = uint64_t(startIndex + uint64_t(d.indexCount)) * (d.index32 ? 4 : 2);
  if (indexBytes > m_indices->Bytes().size()) return D3DERR_INVALIDCALL;
  d.indices = m_indices->Bytes().data() + size_t(startIndex) * (d.index32 ? 4 : 2);
  // Indices count from the base vertex of SetIndices; the transformed range is shifted with them.
  d.firstVertex = minIndex, d.vertexCount = vertexCount;
  const uint64_t base = m_baseVertex;
  for (const VertexElement* e : {&d.layout.position, &d.layout.diffuse}) {
    if (e->stream < 0) continue;
    const Stream& s = m_streams[e->stream];
    if (!s.buffer ||
        (vertexCount && ElementEnd(*e, base + minIndex + vertexCount - 1, s.stride) > s.buffer->Bytes().size()))
      return D3DERR_INVALIDCALL;
    d.streams[e->stream] = s.buffer->Bytes().data() + base * s.stride, d.strides[e->stream] = s.stride;
  }
  return RunDraw(d);
}

HRESULT Device::RunDraw(const Draw& d) {
  // Every index must name a transformed vertex: checked before anything is drawn.
  if (d.indices) {
    for (uint32_t i = 0; i < d.indexCount; ++i) {
      const uint32_t v = ReadIndex(d.indices, d.index32, i);
      if (v < d.firstVertex || v - d.firstVertex >= d.vertexCount || v > m_caps.MaxVertexIndex)
        return D3DERR_INVALIDCALL;
    }
  } else if (uint64_t(d.firstVertex) + d.vertexCount - (d.vertexCount ? 1 : 0) > m_caps.MaxVertexIndex) {
    return D3DERR_INVALIDCALL;
  }
  if (Lost() || d.indexCount == 0) return D3D_OK;

  TransformVertices(d);
  const RasterState state = BuildRasterState();
  Rasterizer raster(&m_renderTarget->Pixels(), m_depthTarget ? &m_depthTarget->Pixels() : nullptr, m_viewport, state);
  if (!raster.Ready()) return D3D_OK;
  auto at = [&](uint32_t i) -> const ClipVertex& {
    return m_transformed[d.indices ? ReadIndex(d.indices, d.index32, i) - d.firstVertex : i];
  };
  const uint32_t n = d.indexCount;
  switch (d.type) {
    case D3DPT_TRIANGLELIST:
      for (uint32_t i = 0; i + 2 < n; i += 3) raster.Triangle(at(i), at(i + 1), at(i + 2));
      break;
    case D3DPT_TRIANGLESTRIP:  // every second triangle turns its first two corners round to keep the winding
      for (uint32_t i = 0; i + 2 < n; ++i) {
        if (i & 1) raster.Triangle(at(i + 1), at(i), at(i + 2));
        else raster.Triangle(at(i), at(i + 1), at(i + 2));
      }
      break;
    case D3DPT_TRIANGLEFAN:
      for (uint32_t i = 1; i + 1 < n; ++i) raster.Triangle(at(0), at(i), at(i + 1));
      break;
    case D3DPT_LINELIST:
      for (uint32_t i = 0; i + 1 < n; i += 2) raster.Line(at(i), at(i + 1));
      break;
    case D3DPT_LINESTRIP:
      for (uint32_t i = 0; i + 1 < n; ++i) raster.Line(at(i), at(i + 1));
      break;
    case D3DPT_POINTLIST:
      for (uint32_t i = 0; i < n; ++i) raster.Line(at(i), at(i));
      break;
  }
  return D3D_OK;
}

}  // namespace PM::SoftD3D
