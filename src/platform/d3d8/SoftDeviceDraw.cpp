// The device's draws: vertex sources (FVF and declarations, user pointers and buffers), their checks,
// primitive assembly and the rasterizer.
#include <algorithm>
#include <cstring>

#include "platform/d3d8/SoftDraw.h"
#include "platform/d3d8/SoftState.h"

namespace PM::SoftD3D {

namespace {

constexpr uint32_t kMaxDeclarationTokens = 64;
constexpr DWORD kTokenDataSkip = 1u << 28;  // a STREAMDATA token that skips DWORDs instead of loading

uint32_t ElementSize(DWORD type) {
  static constexpr uint8_t kSizes[] = {4, 8, 12, 16, 4, 4, 4, 8};  // FLOAT1 .. SHORT4
  return type < std::size(kSizes) ? kSizes[type] : 0;
}

// The fixed-function slot a declaration register feeds; kSlotCount for registers it ignores
// (blend weights and indices, point size, the second position and normal).
uint32_t SlotOfRegister(DWORD reg) {
  switch (reg) {
    case D3DVSDE_POSITION:
      return kSlotPosition;
    case D3DVSDE_NORMAL:
      return kSlotNormal;
    case D3DVSDE_DIFFUSE:
      return kSlotDiffuse;
    case D3DVSDE_SPECULAR:
      return kSlotSpecular;
    default:
      return reg >= D3DVSDE_TEXCOORD0 && reg <= D3DVSDE_TEXCOORD7 ? kSlotTexCoord0 + (reg - D3DVSDE_TEXCOORD0)
                                                                  : kSlotCount;
  }
}

bool IsDeclarationHandle(DWORD handle) { return (handle & 1) != 0; }

// The end of the bytes an element of a vertex occupies, for checks against a stream's size.
uint64_t ElementEnd(const VertexElement& e, uint64_t vertex, uint32_t stride) {
  return vertex * stride + e.offset + e.size;
}

// The layout of an FVF code: position (XYZ, XYZRHW or XYZ with 1-5 blend weights the device skips),
// normal, point size (skipped), diffuse, specular, then the texture coordinate sets, all on stream 0.
bool FvfLayout(DWORD fvf, VertexLayout* out) {
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  const uint32_t texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (position == 0 || texCount > kMaxTexCoords) return false;
  out->pretransformed = position == D3DFVF_XYZRHW;
  uint32_t offset = 0;
  auto add = [&](uint32_t slot, DWORD type) {
    out->slots[slot] = {0, offset, ElementSize(type), type};
    offset += ElementSize(type);
  };
  add(kSlotPosition, out->pretransformed ? D3DVSDT_FLOAT4 : D3DVSDT_FLOAT3);
  if (position >= D3DFVF_XYZB1) offset += 4 * ((position - D3DFVF_XYZRHW) / 2);
  if (fvf & D3DFVF_NORMAL) add(kSlotNormal, D3DVSDT_FLOAT3);
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) add(kSlotDiffuse, D3DVSDT_D3DCOLOR);
  if (fvf & D3DFVF_SPECULAR) add(kSlotSpecular, D3DVSDT_D3DCOLOR);
  // Size codes 0..3 of a set mean 2, 3, 4 and 1 coordinates.
  static constexpr DWORD kTexTypes[4] = {D3DVSDT_FLOAT2, D3DVSDT_FLOAT3, D3DVSDT_FLOAT4, D3DVSDT_FLOAT1};
  for (uint32_t i = 0; i < texCount; ++i) add(kSlotTexCoord0 + i, kTexTypes[fvf >> (16 + 2 * i) & 3]);
  return true;
}

// User-pointer draws read one vertex array: every element on stream 0, inside the stride.
bool FitsStride(const VertexLayout& layout, uint32_t stride) {
  for (const VertexElement& e : layout.slots)
    if (e.stream > 0 || (e.stream == 0 && uint64_t(e.offset) + e.size > stride)) return false;
  return true;
}

}  // namespace

HRESULT Device::CheckDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, uint32_t* indexCount) const {
  if (!m_inScene || primitiveCount > m_caps.MaxPrimitiveCount) return D3DERR_INVALIDCALL;
  const uint64_t n = primitiveCount;
  switch (type) {
    case D3DPT_POINTLIST:
      *indexCount = uint32_t(n);
      break;
    case D3DPT_LINELIST:
      *indexCount = uint32_t(n * 2);
      break;
    case D3DPT_LINESTRIP:
      *indexCount = uint32_t(n + 1);
      break;
    case D3DPT_TRIANGLELIST:
      *indexCount = uint32_t(n * 3);
      break;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      *indexCount = uint32_t(n + 2);
      break;
    default:
      return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

bool Device::LayoutOf(DWORD shader, VertexLayout* out) const {
  *out = VertexLayout{};
  if (!IsDeclarationHandle(shader)) return FvfLayout(shader, out);
  const size_t index = shader >> 1;
  if (index >= m_declarations.size() || m_declarations[index].empty()) return false;
  int32_t stream = -1;
  uint32_t offset = 0;
  for (DWORD token : m_declarations[index]) {
    if (token == D3DVSD_END) break;
    const DWORD kind = token >> 29;
    if (kind == D3DVSD_TOKEN_STREAM) {
      stream = int32_t(token & 0xF), offset = 0;
    } else if (kind == D3DVSD_TOKEN_STREAMDATA && (token & kTokenDataSkip)) {
      offset += 4 * (token >> 16 & 0xF);
    } else if (kind == D3DVSD_TOKEN_STREAMDATA) {
      const DWORD type = token >> 16 & 0xF;
      if (const uint32_t slot = SlotOfRegister(token & 0x1F); slot < kSlotCount)
        out->slots[slot] = {stream, offset, ElementSize(type), type};
      offset += ElementSize(type);
    }
  }
  return out->slots[kSlotPosition].stream >= 0;
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
    if (kind == D3DVSD_TOKEN_NOP) {
      if (token != D3DVSD_NOP) return D3DERR_INVALIDCALL;
    } else if (kind == D3DVSD_TOKEN_STREAM) {
      // Tessellator streams (bit 28) are not built.
      stream = int32_t(token & 0x1FFFFFFF);
      if (stream >= int32_t(std::min<DWORD>(16, m_caps.MaxStreams))) return D3DERR_INVALIDCALL;
    } else if (kind != D3DVSD_TOKEN_STREAMDATA || stream < 0 ||
               (!(token & kTokenDataSkip) &&
                (ElementSize(token >> 16 & 0xF) == 0 || (token & 0x1F) > D3DVSDE_NORMAL2))) {
      return D3DERR_INVALIDCALL;  // constants and tessellator tokens belong to programs
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
  StateChanged();
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
  StateChanged();
  if (m_vertexShader == handle) m_vertexShader = 0;
  return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
  LogCall("IDirect3DDevice8::DrawPrimitiveUP(%u, %u, stride %u)", type, primitiveCount, stride);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!vertices || !LayoutOf(m_vertexShader, &d.layout) || !FitsStride(d.layout, stride)) return D3DERR_INVALIDCALL;
  d.streams[0] = static_cast<const uint8_t*>(vertices);
  d.strides[0] = stride;
  d.userPointers = true;
  d.vertexCount = d.indexCount;
  const HRESULT result = RunDraw(d);
  if (result == D3D_OK) UnsetUserSources();
  return result;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride) {
  LogCall("IDirect3DDevice8::DrawIndexedPrimitiveUP(%u, %u, %u, %u, stride %u)", type, minIndex, vertexCount,
          primitiveCount, stride);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!vertices || !indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
      !LayoutOf(m_vertexShader, &d.layout) || !FitsStride(d.layout, stride))
    return D3DERR_INVALIDCALL;
  // The array starts at vertex 0: the transformed range begins minIndex vertices in.
  d.streams[0] = static_cast<const uint8_t*>(vertices);
  d.strides[0] = stride;
  d.userPointers = true;
  d.firstVertex = minIndex, d.vertexCount = vertexCount;
  d.indices = static_cast<const uint8_t*>(indices);
  d.index32 = indexFormat == D3DFMT_INDEX32;
  const HRESULT result = RunDraw(d);
  if (result == D3D_OK) UnsetUserSources();
  return result;
}

// As Direct3D 8 documents: after a user-pointer draw, stream 0 and the indices are unset.
void Device::UnsetUserSources() {
  if (m_streams[0].buffer) m_streams[0].buffer->Release();
  m_streams[0] = {};
  if (m_indices) m_indices->Release(), m_indices = nullptr;
  m_baseVertex = 0;
  StateChanged();
}

HRESULT Device::BindStreams(Draw& d, uint64_t base) const {
  for (const VertexElement& e : d.layout.slots) {
    if (e.stream < 0) continue;
    const Stream& s = m_streams[e.stream];
    if (!s.buffer) return D3DERR_INVALIDCALL;
    if (d.vertexCount == 0) continue;  // nothing is read
    if (ElementEnd(e, base + d.firstVertex + d.vertexCount - 1, s.stride) > s.buffer->Bytes().size())
      return D3DERR_INVALIDCALL;
    d.streams[e.stream] = s.buffer->Bytes().data() + base * s.stride, d.strides[e.stream] = s.stride;
  }
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  LogCall("IDirect3DDevice8::DrawPrimitive(%u, %u, %u)", type, startVertex, primitiveCount);
  Draw d;
  d.type = type;
  if (HRESULT r = CheckDraw(type, primitiveCount, &d.indexCount); r != D3D_OK) return r;
  if (!LayoutOf(m_vertexShader, &d.layout)) return D3DERR_INVALIDCALL;
  d.firstVertex = startVertex, d.vertexCount = d.indexCount;
  if (HRESULT r = BindStreams(d, 0); r != D3D_OK) return r;
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
  // Indices count from the base vertex of SetIndices; the streams are shifted with them.
  d.firstVertex = minIndex, d.vertexCount = vertexCount;
  if (HRESULT r = BindStreams(d, m_baseVertex); r != D3D_OK) return r;
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
  // A run of draws under the same states (an engine drawing a record quad by quad) prepares them once.
  const uint64_t textures = TextureVersions();
  if (!m_rasterKept || m_rasterSerial != m_stateSerial || m_rasterTextures != textures) {
    BuildRasterState(m_rasterState);
    m_rasterSerial = m_stateSerial, m_rasterTextures = textures, m_rasterKept = true;
  }
  Rasterizer raster(&m_renderTarget->Pixels(), m_depthTarget ? &m_depthTarget->Pixels() : nullptr, m_viewport,
                    m_rasterState);
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
        if (i & 1)
          raster.Triangle(at(i + 1), at(i), at(i + 2));
        else
          raster.Triangle(at(i), at(i + 1), at(i + 2));
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
      for (uint32_t i = 0; i < n; ++i) raster.Point(at(i));
      break;
  }
  return D3D_OK;
}

}  // namespace PM::SoftD3D
