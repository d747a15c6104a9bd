// The Direct3D 8 engine's polygon drawing: per-geometry caches of vertex and index buffers, filled when
// the geometry's arrays change, drawn with the shared declaration of their attribute streams; clipped GUI
// records; and the release of unloaded caches.
#include <cstring>

#include "core/Log.h"
#include "core/LogMsg.h"
#include "core/Vector2f.h"
#include "render/EngineLists.h"
#include "render/PolygonRecordCheck.h"
#include "render/d3d8/D3D8Colors.h"
#include "render/d3d8/RenderEngineDirectX8.h"
#include "render/d3d8/RenderPolygonCacheDirectX8.h"
#include "render/d3d8/VertexDeclaration.h"

namespace PM {

namespace {

using Cache = RenderPolygonCacheDirectX8;

constexpr const char* kDrawLocation = "RenderEngineDirectX8_D::DrawPolygonDataXXX";
constexpr ResultCode kTooComplex = 0x8000000E;
constexpr ResultCode kNoBuffer = 0x80000008;

bool IsWhite(const Vector4f& c) { return c.x == 1.0f && c.y == 1.0f && c.z == 1.0f && c.w == 1.0f; }
// Bit for bit, as the device compares the state it keeps (NaN and -0 included).
bool SameColor(const Vector4f& a, const Vector4f& b) {
  // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison,bugprone-raw-memory-call-on-non-trivial-type)
  return std::memcmp(&a, &b, sizeof(a)) == 0;
}

DWORD Usage(const PolygonData& d, int stream, DWORD vertexUsage) {
  return D3DUSAGE_WRITEONLY | vertexUsage | ((d.DynamicMask & Cache::kStreamBits[stream]) ? D3DUSAGE_DYNAMIC : 0);
}

template <class T>
void Release(T*& p) {
  if (p) p->Release(), --G_DebugVB;
  p = nullptr;
}

// The Direct3D primitive of the run-length types, with the vertices a run needs and the primitives it makes.
struct RunRow {
  uint32_t type;
  D3DPRIMITIVETYPE primitive;
  int32_t fewest, less;  // runs shorter than `fewest` draw nothing; primitives = length - `less`
};
constexpr RunRow kRunRows[] = {
    {PrimitiveType::kPolygon, D3DPT_TRIANGLEFAN, 3, 2},
    {PrimitiveType::kTriangleStrip, D3DPT_TRIANGLESTRIP, 3, 2},
    {PrimitiveType::kTriangleFan, D3DPT_TRIANGLEFAN, 3, 2},
    {PrimitiveType::kLineStrip, D3DPT_LINESTRIP, 2, 1},
};

}  // namespace

DWORD RenderEngineDirectX8_D::DeclarationHandle(uint32_t index) {
  if (index >= kDeclarationCount) return 0;
  if (!m_vertexShaders[index]) {
    DWORD tokens[kMaxDeclarationTokens];
    BuildVertexDeclaration(index, tokens);
    DWORD handle = 0;
    if (m_device->CreateVertexShader(tokens, nullptr, &handle, m_vertexUsage) == D3D_OK)
      m_vertexShaders[index] = handle;
    else
      Log(LogOutPipe(), kLevelError, "CreateVertexShader(", index, ") failed.");
  }
  return m_vertexShaders[index];
}

bool RenderEngineDirectX8_D::RecordIsDrawable(const PolygonData& d, Cache* cache) {
  const char* fault = PolygonRecordFault(d);
  if (!fault) return true;
  if (!cache->m_refusalLogged)
    Log(LogOutPipe(), kLevelError, "RenderEngineDirectX8_D::DrawPolygonData: record not drawn: ", fault, " (",
        d.VertexCount, " vertices, ", d.IndexCount, " indices).");
  cache->m_refusalLogged = true;
  return false;
}

void RenderEngineDirectX8_D::DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* slot) {
  if (!m_device || !data || data->PrimCount <= 0) return;
  const PolygonData& d = *data;
  // A negative count is no complexity: the record check refuses it below.
  if (d.IndexCount > 0 && uint32_t(d.IndexCount) > m_caps.MaxPrimitiveCount) {
    if (!m_tooComplexLogged)
      LogMsgText(kTooComplex, kDrawLocation, "D3DCAPS8.MaxPrimitiveCount", 2,
                 "Some objects are too complex to be rendered with the installed DirectX 8 graphics driver.\n  These "
                 "objects will disappear from the scene.");
    m_tooComplexLogged = true;
    return;
  }
  // Without a slot of the caller's the buffers live for this draw only.
  Ptr<RenderPolygonCache> local;
  Ptr<RenderPolygonCache>* s = slot ? slot : &local;
  Cache* cache = EngineCache<Cache>(s, this, m_liveCaches);
  // The mirror rule: a mirrored draw culls the other winding (D3DCULL_NONE stays as it is).
  DWORD cull = D3DCULL_NONE;
  if (MirroredDraw()) m_device->GetRenderState(D3DRS_CULLMODE, &cull);
  const bool turn = cull == D3DCULL_CW || cull == D3DCULL_CCW;
  if (turn) m_device->SetRenderState(D3DRS_CULLMODE, cull == D3DCULL_CW ? D3DCULL_CCW : D3DCULL_CW);
  DrawCachedRecord(d, cache);
  if (turn) m_device->SetRenderState(D3DRS_CULLMODE, cull);
  if (!slot) cache->Unload();
}

void RenderEngineDirectX8_D::DrawCachedRecord(const PolygonData& d, Cache* cache) {
  // Records without colours take their constant colour, else the current colour, as a colour stream.
  const Vector4f constant = !IsWhite(d.ConstantColor) ? d.ConstantColor : m_currentColor;
  const bool constantInUse = !d.ColorArray && !IsWhite(constant);
  const Cache::RecordStreams streams(d);
  // New arrays or counts are noticed even when the geometry did not mark them: a changed count or a stream
  // that comes or goes needs a new buffer, a moved array a refill.
  for (int s = 0; s < Cache::kStreamCount; ++s) {
    const bool present = (streams.arrays[s] || (s == Cache::kColors && constantInUse)) && streams.counts[s] > 0;
    const int32_t wanted = present ? streams.counts[s] : 0;
    if (streams.arrays[s] != cache->m_source[s]) cache->m_dirty |= Cache::kStreamBits[s];
    if (wanted != cache->m_size[s])
      cache->m_dirty |=
          Cache::kStreamBits[s] | (s == Cache::kIndices ? Cache::kIndexResizeBits : Cache::kVertexResizeBits);
  }
  // A colour stream that stands for a constant colour is refilled when that colour changes.
  if ((constantInUse && !SameColor(constant, cache->m_color)) || (!constantInUse && !IsWhite(cache->m_color)))
    cache->m_dirty |= Cache::kCountsChanged | Cache::kStreamBits[Cache::kColors];
  if (!cache->Drawable(Cache::kIndexResizeBits | Cache::kVertexResizeBits, [&] { return RecordIsDrawable(d, cache); }))
    return;
  if (cache->m_dirty != 0) {
    uint32_t m = cache->m_dirty;
    if (m & Cache::kIndexResizeBits) m |= ResizeIndexBuffer(d, streams, cache);
    if (m & Cache::kVertexResizeBits) m |= ResizeVertexBuffers(d, streams, constantInUse, cache);
    FillStreams(d, streams, m, constantInUse ? &constant : nullptr, cache);
    cache->m_dirty = 0;
    cache->m_declaration = DeclarationHandle(DeclarationIndex(*cache));
  }
  BindCachedStreams(*cache);
  DrawCachedPrimitives(d);
}

uint32_t RenderEngineDirectX8_D::DeclarationIndex(const Cache& cache) {
  uint32_t index = 0;
  if (cache.m_vertexBuffer[Cache::kNormals]) index |= kDeclarationNormals;
  if (cache.m_vertexBuffer[Cache::kColors]) index |= kDeclarationColors;
  if (cache.m_vertexBuffer[Cache::kTexCoords0]) index |= kDeclarationTexCoords0;
  if (cache.m_vertexBuffer[Cache::kTexCoords1]) index |= kDeclarationTexCoords1;
  return index;
}

uint32_t RenderEngineDirectX8_D::ResizeIndexBuffer(const PolygonData& d, const Cache::RecordStreams& streams,
                                                   Cache* cache) {
  if (!streams.arrays[Cache::kIndices]) {
    Release(cache->m_indexBuffer);
    cache->m_size[Cache::kIndices] = 0;
    return 0;
  }
  if (cache->m_size[Cache::kIndices] == d.IndexCount) return 0;
  Release(cache->m_indexBuffer);
  const bool wide = m_indexFormat == D3DFMT_INDEX32;
  IDirect3DIndexBuffer8* b = nullptr;
  const HRESULT r =
      m_device->CreateIndexBuffer(UINT(d.IndexCount) * (wide ? 4 : 2), Usage(d, Cache::kIndices, m_vertexUsage),
                                  m_indexFormat, D3DPOOL_DEFAULT, &b);
  if (r == D3D_OK && b)
    cache->m_indexBuffer = b, ++G_DebugVB;
  else
    LogMsgArg1(kNoBuffer, kDrawLocation, "Direct3DDevice8::CreateIndexBuffer", 2, "WindowsError: #1.", LogArg(r));
  cache->m_size[Cache::kIndices] = d.IndexCount;
  return Cache::kStreamBits[Cache::kIndices];
}

uint32_t RenderEngineDirectX8_D::ResizeVertexBuffers(const PolygonData& d, const Cache::RecordStreams& streams,
                                                     bool constantInUse, Cache* cache) {
  uint32_t refill = 0;
  for (int s = Cache::kPositions; s < Cache::kStreamCount; ++s) {
    const bool present = streams.arrays[s] || (s == Cache::kColors && constantInUse);
    if (!present) {
      Release(cache->m_vertexBuffer[s]);
      cache->m_size[s] = 0;
      cache->m_source[s] = nullptr;
      if (s == Cache::kColors) cache->m_color = {1.0f, 1.0f, 1.0f, 1.0f};
      continue;
    }
    if (cache->m_size[s] == d.VertexCount) continue;
    Release(cache->m_vertexBuffer[s]);
    IDirect3DVertexBuffer8* b = nullptr;
    const HRESULT r = m_device->CreateVertexBuffer(UINT(d.VertexCount) * Cache::kVertexBytes[s],
                                                   Usage(d, s, m_vertexUsage), 0, D3DPOOL_DEFAULT, &b);
    if (r == D3D_OK && b)
      cache->m_vertexBuffer[s] = b, ++G_DebugVB;
    else
      LogMsgArg1(kNoBuffer, kDrawLocation, "Direct3DDevice8::CreateVertexBuffer", 2, "WindowsError: #1.", LogArg(r));
    cache->m_size[s] = d.VertexCount;
    refill |= Cache::kStreamBits[s];
  }
  return refill;
}

void RenderEngineDirectX8_D::FillStreams(const PolygonData& d, const Cache::RecordStreams& streams, uint32_t m,
                                         const Vector4f* constant, Cache* cache) {
  for (int s = 0; s < Cache::kStreamCount; ++s) {
    IDirect3DResource8* buffer = cache->Buffer(s);
    if (!(m & Cache::kStreamBits[s]) || !buffer) continue;
    const bool colors = s == Cache::kColors;
    if (!streams.arrays[s] && !(colors && constant)) continue;
    uint8_t* p = nullptr;
    const DWORD flags = (d.DynamicMask & Cache::kStreamBits[s]) ? D3DLOCK_DISCARD : 0;
    const HRESULT locked = s == Cache::kIndices ? cache->m_indexBuffer->Lock(0, 0, &p, flags)
                                                : cache->m_vertexBuffer[s]->Lock(0, 0, &p, flags);
    if (locked != D3D_OK || !p) continue;  // this stream keeps its old contents
    const size_t n = size_t(cache->m_size[s]);
    if (s == Cache::kIndices) {
      WriteIndices(d.IndexArray, n, p);
      cache->m_indexBuffer->Unlock();
    } else {
      if (colors) {
        WriteColors(d.ColorArray, constant, n, p);
        cache->m_color = d.ColorArray ? Vector4f{1.0f, 1.0f, 1.0f, 1.0f} : *constant;
      } else {
        std::memcpy(p, streams.arrays[s], n * Cache::kVertexBytes[s]);
      }
      cache->m_vertexBuffer[s]->Unlock();
    }
    cache->m_source[s] = streams.arrays[s];
  }
}

void RenderEngineDirectX8_D::WriteIndices(const uint32_t* indices, size_t n, uint8_t* p) const {
  if (m_indexFormat == D3DFMT_INDEX32) {
    std::memcpy(p, indices, n * 4);
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    const uint16_t low = uint16_t(indices[i]);
    std::memcpy(p + i * 2, &low, 2);
  }
}

void RenderEngineDirectX8_D::WriteColors(const Vector4f* colors, const Vector4f* constant, size_t n, uint8_t* p) {
  const uint32_t same = colors ? 0 : PackColor(*constant);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t c = colors ? PackColor(colors[i]) : same;
    std::memcpy(p + i * 4, &c, 4);
  }
}

void RenderEngineDirectX8_D::BindCachedStreams(const Cache& cache) {
  IDirect3DDevice8* dev = m_device;
  IDirect3DVertexBuffer8* const* vb = cache.m_vertexBuffer;
  const bool colors = vb[Cache::kColors] != nullptr;
  const DWORD source = colors ? D3DMCS_COLOR1 : D3DMCS_MATERIAL;
  dev->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, source);
  dev->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, source);
  if (dev->SetVertexShader(cache.m_declaration) != D3D_OK) Log(LogOutPipe(), kLevelError, "SetVertexShader() failed.");
  dev->SetRenderState(D3DRS_COLORVERTEX, colors ? 1 : 0);
  dev->SetIndices(cache.m_indexBuffer, 0);
  dev->SetStreamSource(0, vb[Cache::kPositions], 12);
  dev->SetStreamSource(1, vb[Cache::kNormals], 12);
  dev->SetStreamSource(2, vb[Cache::kColors], 4);
  dev->SetStreamSource(3, vb[Cache::kTexCoords0] ? vb[Cache::kTexCoords0] : vb[Cache::kTexCoords1], 8);
  dev->SetStreamSource(4, vb[Cache::kTexCoords1], 8);
}

void RenderEngineDirectX8_D::DrawCachedPrimitives(const PolygonData& d) {
  const UINT vertices = UINT(d.VertexCount);
  auto draw = [&](D3DPRIMITIVETYPE type, int64_t start, int64_t primitives) {
    m_device->DrawIndexedPrimitive(type, 0, vertices, UINT(start), UINT(primitives));
  };
  const uint32_t type = d.PrimType;
  if (type == PrimitiveType::kPoint) return;  // points are not drawn by this engine
  if (type == PrimitiveType::kLine) return draw(D3DPT_LINELIST, 0, d.PrimCount);
  if (type == PrimitiveType::kTriangle) return draw(D3DPT_TRIANGLELIST, 0, d.PrimCount);
  if (type == PrimitiveType::kQuad) {
    for (int32_t q = 0; q < d.PrimCount; ++q) draw(D3DPT_TRIANGLEFAN, 4 * int64_t(q), 2);
    return;
  }
  if (type == PrimitiveType::kTriangleStripAndTriangles) {
    // A strip of the first length, then a list of the second; a strip shorter than a triangle draws nothing.
    const int32_t strip = d.PrimLengthArray[0];
    if (strip >= 3) draw(D3DPT_TRIANGLESTRIP, 0, strip - 2);
    if (d.PrimCount >= 2 && d.PrimLengthArray[1] / 3 > 0) draw(D3DPT_TRIANGLELIST, strip, d.PrimLengthArray[1] / 3);
    return;
  }
  for (const RunRow& r : kRunRows) {
    if (r.type != type) continue;
    // Each primitive's run from the running index; runs too short for one primitive draw nothing.
    int64_t start = 0;
    for (int32_t i = 0; i < d.PrimCount; ++i) {
      const int32_t length = d.PrimLengthArray[i];
      if (length >= r.fewest) draw(r.primitive, start, length - r.less);
      start += length;
    }
    return;
  }
  Log(LogOutPipe(), kLevelError, "DrawDirectX() unsupported Primitive::Type (", type, ") detected.");
}

void RenderEngineDirectX8_D::UnbindStreams() {
  if (!m_device) return;
  m_device->SetIndices(nullptr, 0);
  for (UINT stream = 0; stream < 5; ++stream) m_device->SetStreamSource(stream, nullptr, 0);
}

void RenderEngineDirectX8_D::UnloadPolygonCache() {
  ReleaseUnloadedCaches<Cache>([](Cache* c) { c->ReleaseBuffers(); });
}

}  // namespace PM
