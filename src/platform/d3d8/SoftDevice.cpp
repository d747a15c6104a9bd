#include "platform/d3d8/SoftDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <X11/Xlib.h>

#include "platform/PlatformWindow.h"
#include "platform/d3d8/SoftDirectDraw.h"
#include "platform/d3d8/SoftState.h"
#include "platform/d3d8/X11Output.h"

namespace PM::SoftD3D {

namespace {

constexpr UINT kTextureMemory = 128u << 20;  // what GetAvailableTextureMem reports
constexpr uint32_t kMaxTextureSize = 4096;

D3DMATRIX Identity() {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

// Intersects a rectangle with the viewport; false when nothing is left.
bool ClipToViewport(const D3DVIEWPORT8& v, int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2) {
  x1 = std::max<int64_t>(x1, v.X), y1 = std::max<int64_t>(y1, v.Y);
  x2 = std::min<int64_t>(x2, int64_t(v.X) + v.Width), y2 = std::min<int64_t>(y2, int64_t(v.Y) + v.Height);
  return x1 < x2 && y1 < y2;
}

template <class T>
HRESULT HandOut(T* object, T** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = object;
  if (!object) return D3DERR_NOTFOUND;
  object->AddRef();
  return D3D_OK;
}

}  // namespace

Device::Device(Direct3D* parent, D3DDEVTYPE type, DWORD flags, const D3DCAPS8& caps)
    : m_parent(parent),
      m_type(type),
      m_flags(flags),
      m_caps(caps),
      m_lights(caps.MaxActiveLights),
      m_lightEnabled(caps.MaxActiveLights, false) {
  m_parent->AddRef();
  State().devices.push_back(this);
  ResetStates();
}

Device::~Device() {
  ReleaseBuffers();
  for (IDirect3DResource8*& t : m_textures)
    if (t) t->Release(), t = nullptr;
  for (Stream& s : m_streams)
    if (s.buffer) s.buffer->Release(), s.buffer = nullptr;
  if (m_indices) m_indices->Release();
  auto& devices = State().devices;
  devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
  m_parent->Release();
}

void Device::ReleaseBuffers() {
  if (m_renderTarget) m_renderTarget->Release(), m_renderTarget = nullptr;
  if (m_depthTarget) m_depthTarget->Release(), m_depthTarget = nullptr;
  // Owned surfaces die with the device, whoever still points at them; theirs stop reaching the device.
  for (Surface* s : m_backBuffers) s->DetachDevice(), s->Release();
  m_backBuffers.clear();
  if (m_autoDepth) m_autoDepth->DetachDevice(), m_autoDepth->Release(), m_autoDepth = nullptr;
}

void Device::ResetStates() {
  StateChanged();
  std::fill(std::begin(m_renderStates), std::end(m_renderStates), 0u);
  DWORD* rs = m_renderStates;
  rs[D3DRS_ZENABLE] = m_params.EnableAutoDepthStencil ? 1 : 0;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = 2;  // GOURAUD
  rs[D3DRS_ZWRITEENABLE] = 1;
  rs[D3DRS_LASTPIXEL] = 1;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGEND] = FloatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = 1;  // KEEP
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  rs[D3DRS_CLIPPING] = 1;
  rs[D3DRS_LIGHTING] = 1;
  rs[D3DRS_COLORVERTEX] = 1;
  rs[D3DRS_LOCALVIEWER] = 1;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
  rs[D3DRS_COLORWRITEENABLE] = 0xF;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  for (uint32_t i = 0; i < kD3DStageCount; ++i) {
    DWORD* ts = m_stageStates[i];
    std::fill(ts, ts + kD3DTextureStageStateCount, 0u);
    ts[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    ts[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ts[D3DTSS_TEXCOORDINDEX] = i;
    ts[D3DTSS_ADDRESSU] = ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    ts[D3DTSS_MAGFILTER] = ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    ts[D3DTSS_MAXANISOTROPY] = 1;
    ts[D3DTSS_COLORARG0] = ts[D3DTSS_ALPHAARG0] = ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    m_textureMatrices[i] = Identity();
  }
  m_world = m_view = m_projection = Identity();
  m_material = D3DMATERIAL8{};
  std::fill(m_lightEnabled.begin(), m_lightEnabled.end(), false);
  m_viewport = {0, 0, m_params.BackBufferWidth, m_params.BackBufferHeight, 0.0f, 1.0f};
}

HRESULT Device::Configure(D3DPRESENT_PARAMETERS* p) {
  ReleaseBuffers();
  const uint32_t count = std::max<UINT>(1, p->BackBufferCount);
  p->BackBufferCount = count;
  const bool lockable = (p->Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  for (uint32_t i = 0; i < count; ++i) {
    m_backBuffers.push_back(new Surface(this, false, p->BackBufferWidth, p->BackBufferHeight,
                                        FindFormat(p->BackBufferFormat), D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                        lockable, nullptr));
  }
  if (p->EnableAutoDepthStencil) {
    const D3DFORMAT f = p->AutoDepthStencilFormat;
    m_autoDepth = new Surface(this, false, p->BackBufferWidth, p->BackBufferHeight, FindFormat(f),
                              D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, f == D3DFMT_D16_LOCKABLE, nullptr);
    m_depthTarget = m_autoDepth;
    m_depthTarget->AddRef();
  }
  m_renderTarget = m_backBuffers[0];
  m_renderTarget->AddRef();
  m_params = *p;
  m_inScene = false;
  ResetStates();
  return D3D_OK;
}

HRESULT Device::Level(bool askFocus) {
  if (askFocus && !m_params.Windowed && m_params.hDeviceWindow && m_parent->XDisplay()) {
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_parent->XDisplay(), &focus, &revert);
    if (focus == m_params.hDeviceWindow->window) {
      m_hadFocus = true;
      if (m_focusLost) m_focusLost = false, m_focusNotReset = true;
    } else if (m_hadFocus) {
      m_focusLost = true;
    }
  }
  if (HRESULT level = State().CooperativeLevel(); level != D3D_OK) return level;
  return m_focusLost ? D3DERR_DEVICELOST : m_focusNotReset ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT Device::TestCooperativeLevel() { return Level(true); }
UINT Device::GetAvailableTextureMem() { return kTextureMemory; }

HRESULT Device::GetDirect3D(IDirect3D8** d3d) { return HandOut<IDirect3D8>(m_parent, d3d); }

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  *caps = m_caps;
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) { return m_parent->EnumAdapterModes(0, 0, mode); }

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* p) {
  LogCall("IDirect3DDevice8::Reset()");
  if (!p) return D3DERR_INVALIDCALL;
  if (Level(true) == D3DERR_DEVICELOST) return D3DERR_DEVICELOST;
  if (!p->hDeviceWindow) p->hDeviceWindow = m_params.hDeviceWindow;
  if (HRESULT r = m_parent->CheckParameters(p); r != D3D_OK) return r;
  if (HRESULT r = Configure(p); r != D3D_OK) return r;
  State().notReset = false;
  m_focusNotReset = false;
  State().lastParameters = *p;
  return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND overrideWindow, const void*) {
  LogCall("IDirect3DDevice8::Present()");
  if (Level(true) != D3D_OK) return D3DERR_DEVICELOST;
  HWND target = overrideWindow ? overrideWindow : m_params.hDeviceWindow;
  if (!target || m_backBuffers.empty()) return D3DERR_INVALIDCALL;
  PixelStore& back = m_backBuffers[0]->Pixels();
  PutResult put = PutSurface(m_parent->XDisplay(), target->window, back);
  if (put.ok) CopyToPrimaries(back, put.screenX, put.screenY, put.width, put.height);
  ++State().presents;
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** out) {
  LogCall("IDirect3DDevice8::GetBackBuffer(%u, %u)", index, type);
  if (out) *out = nullptr;
  if (HRESULT f = State().faults[kFaultGetBackBuffer]; f != D3D_OK) return f;
  if (index >= m_backBuffers.size() || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  return HandOut<IDirect3DSurface8>(m_backBuffers[index], out);
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** out) {
  LogCall("IDirect3DDevice8::CreateTexture(%u, %u, %u, 0x%X, %u, %u)", width, height, levels, usage, format, pool);
  if (out) *out = nullptr;
  if (HRESULT f = State().faults[kFaultCreateTexture]; f != D3D_OK) return f;
  if (!out || !width || !height || width > kMaxTextureSize || height > kMaxTextureSize || !IsTextureFormat(format) ||
      (usage & ~D3DUSAGE_DYNAMIC) || pool > D3DPOOL_SYSTEMMEM)
    return D3DERR_INVALIDCALL;
  const uint32_t full = Texture::FullChain(width, height);
  *out =
      new Texture(this, width, height, levels == 0 || levels > full ? full : levels, usage, FindFormat(format), pool);
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL, IDirect3DVertexBuffer8** out) {
  LogCall("IDirect3DDevice8::CreateVertexBuffer(%u, 0x%X, 0x%X)", length, usage, fvf);
  if (out) *out = nullptr;
  if (HRESULT f = State().faults[kFaultCreateVertexBuffer]; f != D3D_OK) return f;
  if (!out || length == 0 || length > (256u << 20)) return D3DERR_INVALIDCALL;
  *out = new VertexBuffer(this, length, usage, fvf);
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL, IDirect3DIndexBuffer8** out) {
  LogCall("IDirect3DDevice8::CreateIndexBuffer(%u, 0x%X, %u)", length, usage, format);
  if (out) *out = nullptr;
  if (HRESULT f = State().faults[kFaultCreateIndexBuffer]; f != D3D_OK) return f;
  if (!out || length == 0 || length > (256u << 20) || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
    return D3DERR_INVALIDCALL;
  *out = new IndexBuffer(this, length, usage, format);
  return D3D_OK;
}

HRESULT Device::CreateSurface(UINT width, UINT height, D3DFORMAT format, DWORD usage, bool lockable, D3DFORMAT,
                              const char* call, uint32_t fault, IDirect3DSurface8** out) {
  LogCall("IDirect3DDevice8::%s(%u, %u, %u)", call, width, height, format);
  if (out) *out = nullptr;
  if (fault < kFaultCount)
    if (HRESULT f = State().faults[fault]; f != D3D_OK) return f;
  const FormatInfo* info = FindFormat(format);
  const bool depth = (usage & D3DUSAGE_DEPTHSTENCIL) != 0;
  const bool target = (usage & D3DUSAGE_RENDERTARGET) != 0;
  if (!out || !info || !width || !height || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
      (depth != (info->kind == FormatKind::kDepth)) || (target && !IsDisplayFormat(format)))
    return D3DERR_INVALIDCALL;
  *out = new Surface(this, true, width, height, info, usage, target || depth ? D3DPOOL_DEFAULT : D3DPOOL_SYSTEMMEM,
                     lockable, nullptr);
  return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   BOOL lockable, IDirect3DSurface8** out) {
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  return CreateSurface(width, height, format, D3DUSAGE_RENDERTARGET, lockable != 0, format, "CreateRenderTarget",
                       kFaultCreateRenderTarget, out);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          IDirect3DSurface8** out) {
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  return CreateSurface(width, height, format, D3DUSAGE_DEPTHSTENCIL, format == D3DFMT_D16_LOCKABLE, format,
                       "CreateDepthStencilSurface", kFaultCount, out);
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** out) {
  if (FindFormat(format) && FindFormat(format)->kind == FormatKind::kDepth) return D3DERR_INVALIDCALL;
  return CreateSurface(width, height, format, 0, true, format, "CreateImageSurface", kFaultCreateImageSurface, out);
}

HRESULT Device::CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT count, IDirect3DSurface8* dest,
                          const POINT* destPoints) {
  LogCall("IDirect3DDevice8::CopyRects(%u)", count);
  auto* from = static_cast<Surface*>(source);
  auto* to = static_cast<Surface*>(dest);
  if (!from || !to || from == to || from->Format() != to->Format()) return D3DERR_INVALIDCALL;
  PixelStore& s = from->Pixels();
  PixelStore& d = to->Pixels();
  const RECT whole{0, 0, int32_t(s.width), int32_t(s.height)};
  const UINT n = sourceRects ? count : 1;
  // Every rectangle is checked before any byte moves.
  for (UINT pass = 0; pass < 2; ++pass) {
    for (UINT i = 0; i < n; ++i) {
      const RECT& r = sourceRects ? sourceRects[i] : whole;
      const POINT at = destPoints ? destPoints[i] : POINT{r.left, r.top};
      const int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
      if (pass == 0) {
        if (r.left < 0 || r.top < 0 || w <= 0 || h <= 0 || r.right > whole.right || r.bottom > whole.bottom ||
            at.x < 0 || at.y < 0 || at.x + w > int64_t(d.width) || at.y + h > int64_t(d.height))
          return D3DERR_INVALIDCALL;
        continue;
      }
      const uint32_t bpp = s.info->bytes;
      for (int64_t y = 0; y < h; ++y) {
        std::memcpy(d.Row(uint32_t(at.y + y)) + size_t(at.x) * bpp, s.Row(uint32_t(r.top + y)) + size_t(r.left) * bpp,
                    size_t(w) * bpp);
      }
    }
  }
  ++d.version;
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** out) { return HandOut<IDirect3DSurface8>(m_renderTarget, out); }
HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** out) {
  return HandOut<IDirect3DSurface8>(m_depthTarget, out);
}

HRESULT Device::BeginScene() {
  LogCall("IDirect3DDevice8::BeginScene()");
  if (m_inScene) return D3DERR_INVALIDCALL;
  m_inScene = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  LogCall("IDirect3DDevice8::EndScene()");
  if (!m_inScene) return D3DERR_INVALIDCALL;
  m_inScene = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  LogCall("IDirect3DDevice8::Clear(%u, flags 0x%X, color 0x%08X, z %g, stencil %u)", count, flags, color, double(z),
          stencil);
  const FormatInfo* depthInfo = m_depthTarget ? m_depthTarget->Pixels().info : nullptr;
  if ((count && !rects) || !flags || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) ||
      ((flags & D3DCLEAR_ZBUFFER) && !depthInfo) ||
      ((flags & D3DCLEAR_STENCIL) && (!depthInfo || depthInfo->stencilBits == 0)) || !(z >= 0.0f && z <= 1.0f))
    return D3DERR_INVALIDCALL;
  if (Lost()) return D3D_OK;
  PixelStore& target = m_renderTarget->Pixels();
  const uint32_t packed = PackColor(target.info->format, color);
  uint32_t depthWord = 0, keepMask = 0xFFFFFFFFu;
  if (depthInfo) {
    const uint32_t bits = depthInfo->depthBits, sbits = depthInfo->stencilBits;
    const uint32_t shift = depthInfo->bytes * 8 - bits;  // depth sits above the stencil or unused bits
    const uint64_t maxDepth = (uint64_t(1) << bits) - 1;
    const uint32_t stencilMask = (1u << sbits) - 1;
    keepMask = 0;
    if (flags & D3DCLEAR_ZBUFFER)
      depthWord |= uint32_t(RoundNonNegative<uint64_t>(double(z) * double(maxDepth)) << shift);
    else
      keepMask |= uint32_t(maxDepth << shift);
    if (flags & D3DCLEAR_STENCIL)
      depthWord |= stencil & stencilMask;
    else
      keepMask |= stencilMask;
  }
  const DWORD n = count ? count : 1;
  for (DWORD i = 0; i < n; ++i) {
    int64_t x1 = 0, y1 = 0, x2 = INT32_MAX, y2 = INT32_MAX;
    if (count) x1 = rects[i].x1, y1 = rects[i].y1, x2 = rects[i].x2, y2 = rects[i].y2;
    if (!ClipToViewport(m_viewport, x1, y1, x2, y2)) continue;
    if (flags & D3DCLEAR_TARGET) {
      x2 = std::min<int64_t>(x2, target.width), y2 = std::min<int64_t>(y2, target.height);
      for (int64_t y = y1; y < y2; ++y)
        for (int64_t x = x1; x < x2; ++x)
          StorePixel(target.Row(uint32_t(y)) + size_t(x) * target.info->bytes, target.info->bytes, packed);
    }
    if (depthInfo && (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
      PixelStore& d = m_depthTarget->Pixels();
      const int64_t dx2 = std::min<int64_t>(x2, d.width), dy2 = std::min<int64_t>(y2, d.height);
      for (int64_t y = y1; y < dy2; ++y) {
        for (int64_t x = x1; x < dx2; ++x) {
          uint8_t* p = d.Row(uint32_t(y)) + size_t(x) * d.info->bytes;
          StorePixel(p, d.info->bytes, (LoadPixel(p, d.info->bytes) & keepMask) | depthWord);
        }
      }
    }
  }
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  if (state == D3DTS_WORLD)
    m_world = *matrix;
  else if (state == D3DTS_VIEW)
    m_view = *matrix;
  else if (state == D3DTS_PROJECTION)
    m_projection = *matrix;
  else if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + kD3DStageCount)
    m_textureMatrices[state - D3DTS_TEXTURE0] = *matrix;
  else
    return D3DERR_INVALIDCALL;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  if (state == D3DTS_WORLD)
    *matrix = m_world;
  else if (state == D3DTS_VIEW)
    *matrix = m_view;
  else if (state == D3DTS_PROJECTION)
    *matrix = m_projection;
  else if (state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + kD3DStageCount)
    *matrix = m_textureMatrices[state - D3DTS_TEXTURE0];
  else
    return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* v) {
  LogCall("IDirect3DDevice8::SetViewport(%u, %u, %u, %u)", v ? v->X : 0, v ? v->Y : 0, v ? v->Width : 0,
          v ? v->Height : 0);
  const PixelStore& t = m_renderTarget->Pixels();
  if (!v || v->Width == 0 || v->Height == 0 || uint64_t(v->X) + v->Width > t.width ||
      uint64_t(v->Y) + v->Height > t.height || !(v->MinZ >= 0.0f && v->MinZ <= v->MaxZ && v->MaxZ <= 1.0f))
    return D3DERR_INVALIDCALL;
  m_viewport = *v;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* v) {
  if (!v) return D3DERR_INVALIDCALL;
  *v = m_viewport;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  if (!material) return D3DERR_INVALIDCALL;
  m_material = *material;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = m_material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
  if (!light || index >= m_lights.size() || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL)
    return D3DERR_INVALIDCALL;
  m_lights[index] = *light;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (index >= m_lights.size()) return D3DERR_INVALIDCALL;
  m_lightEnabled[index] = enable != 0;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  LogCall("IDirect3DDevice8::SetRenderState(%u, %u)", state, value);
  if (state >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
  m_renderStates[state] = value;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (state >= kD3DRenderStateCount || !value) return D3DERR_INVALIDCALL;
  *value = m_renderStates[state];
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DResource8** texture) {
  if (stage >= kD3DStageCount || !texture) return D3DERR_INVALIDCALL;
  *texture = m_textures[stage];
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DResource8* texture) {
  LogCall("IDirect3DDevice8::SetTexture(%u, %s)", stage, texture ? "texture" : "none");
  if (stage >= kD3DStageCount || (texture && texture->GetType() != D3DRTYPE_TEXTURE)) return D3DERR_INVALIDCALL;
  if (texture) texture->AddRef();
  if (m_textures[stage]) m_textures[stage]->Release();
  m_textures[stage] = texture;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (stage >= kD3DStageCount || type >= kD3DTextureStageStateCount || !value) return D3DERR_INVALIDCALL;
  *value = m_stageStates[stage][type];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  LogCall("IDirect3DDevice8::SetTextureStageState(%u, %u, %u)", stage, type, value);
  if (stage >= kD3DStageCount || type >= kD3DTextureStageStateCount) return D3DERR_INVALIDCALL;
  m_stageStates[stage][type] = value;
  StateChanged();
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  if (stream >= std::min<DWORD>(16, m_caps.MaxStreams) || stride > m_caps.MaxStreamStride) return D3DERR_INVALIDCALL;
  if (buffer) buffer->AddRef();
  if (m_streams[stream].buffer) m_streams[stream].buffer->Release();
  m_streams[stream] = {static_cast<VertexBuffer*>(buffer), stride};
  StateChanged();
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) {
  if (buffer) buffer->AddRef();
  if (m_indices) m_indices->Release();
  m_indices = static_cast<IndexBuffer*>(buffer);
  m_baseVertex = baseVertex;
  StateChanged();
  return D3D_OK;
}

}  // namespace PM::SoftD3D
