#include "platform/d3d8/SoftObjects.h"

#include <algorithm>

#include "platform/d3d8/SoftDevice.h"
#include "platform/d3d8/SoftState.h"

namespace PM::SoftD3D {

void CountLiveObject(int delta) { State().live += delta; }

namespace {

// Locks fail while the device is lost, except on memory the application owns (managed, system).
HRESULT LockRefusal(Device* device, D3DPOOL pool) {
  if (HRESULT f = State().faults[kFaultLock]; f != D3D_OK) return f;
  if (device && pool == D3DPOOL_DEFAULT && device->Lost()) return D3DERR_DEVICELOST;
  return D3D_OK;
}

bool RectInside(const RECT& r, uint32_t width, uint32_t height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && uint32_t(r.right) <= width &&
         uint32_t(r.bottom) <= height;
}

HRESULT HandOutDevice(Device* device, IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = device;
  if (!device) return D3DERR_INVALIDCALL;
  device->AddRef();
  return D3D_OK;
}

}  // namespace

// ---- surfaces --------------------------------------------------------------------------------------

Surface::Surface(Device* device, bool holdsDevice, uint32_t width, uint32_t height, const FormatInfo* format,
                 DWORD usage, D3DPOOL pool, bool lockable, IUnknown* container)
    : m_device(device),
      m_holdsDevice(holdsDevice),
      m_usage(usage),
      m_pool(pool),
      m_lockable(lockable),
      m_container(container) {
  m_pixels.Allocate(width, height, format);
  if (!container) CountLiveObject(1);
  if (m_holdsDevice) m_device->AddRef();
}

Surface::~Surface() {
  if (!m_container) CountLiveObject(-1);
  if (m_holdsDevice) m_device->Release();
}

ULONG Surface::AddRef() { return m_container ? m_container->AddRef() : ++m_refs; }

ULONG Surface::Release() {
  if (m_container) return m_container->Release();
  const ULONG n = --m_refs;
  if (n == 0) delete this;
  return n;
}

HRESULT Surface::GetDevice(IDirect3DDevice8** device) { return HandOutDevice(m_device, device); }

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  desc->Format = Format();
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = m_usage;
  desc->Pool = m_pool;
  desc->Size = UINT(m_pixels.bytes.size());
  desc->MultiSampleType = D3DMULTISAMPLE_NONE;
  desc->Width = m_pixels.width;
  desc->Height = m_pixels.height;
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  LogCall("IDirect3DSurface8::LockRect(%ux%u, flags 0x%X)", m_pixels.width, m_pixels.height, flags);
  RECT whole{0, 0, int32_t(m_pixels.width), int32_t(m_pixels.height)};
  const RECT& r = rect ? *rect : whole;
  if (!locked || !m_lockable || m_locked || !RectInside(r, m_pixels.width, m_pixels.height)) return D3DERR_INVALIDCALL;
  if (HRESULT refused = LockRefusal(m_device, m_pool); refused != D3D_OK) return refused;
  m_locked = true;
  locked->Pitch = int32_t(m_pixels.pitch);
  locked->pBits = m_pixels.Row(uint32_t(r.top)) + size_t(r.left) * m_pixels.info->bytes;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!m_locked) return D3DERR_INVALIDCALL;
  m_locked = false;
  ++m_pixels.version;
  return D3D_OK;
}

// ---- textures --------------------------------------------------------------------------------------

uint32_t Texture::FullChain(uint32_t width, uint32_t height) {
  uint32_t levels = 1;
  for (uint32_t size = std::max(width, height); size > 1; size >>= 1) ++levels;
  return levels;
}

Texture::Texture(Device* device, uint32_t width, uint32_t height, uint32_t levels, DWORD usage,
                 const FormatInfo* format, D3DPOOL pool)
    : m_device(device) {
  m_device->AddRef();
  for (uint32_t i = 0; i < levels; ++i) {
    m_levels.push_back(new Surface(device, false, std::max(1u, width >> i), std::max(1u, height >> i), format, usage,
                                   pool, true, this));
  }
}

Texture::~Texture() {
  for (Surface* s : m_levels) delete s;
  m_device->Release();
}

HRESULT Texture::GetDevice(IDirect3DDevice8** device) { return HandOutDevice(m_device, device); }

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  Surface* s = Level(level);
  if (!s) return D3DERR_INVALIDCALL;
  HRESULT r = s->GetDesc(desc);
  if (r == D3D_OK) desc->Type = D3DRTYPE_TEXTURE;
  return r;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  Surface* s = Level(level);
  if (!s || !surface) return D3DERR_INVALIDCALL;
  s->AddRef();
  *surface = s;
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  Surface* s = Level(level);
  return s ? s->LockRect(locked, rect, flags) : D3DERR_INVALIDCALL;
}

HRESULT Texture::UnlockRect(UINT level) {
  Surface* s = Level(level);
  return s ? s->UnlockRect() : D3DERR_INVALIDCALL;
}

// ---- vertex and index buffers ----------------------------------------------------------------------

template <class I, D3DRESOURCETYPE T>
Buffer<I, T>::Buffer(Device* device, uint32_t length, DWORD usage, uint32_t formatWord)
    : m_device(device), m_usage(usage), m_formatWord(formatWord), m_bytes(length, 0) {
  m_device->AddRef();
}

template <class I, D3DRESOURCETYPE T>
Buffer<I, T>::~Buffer() {
  m_device->Release();
}

template <class I, D3DRESOURCETYPE T>
HRESULT Buffer<I, T>::GetDevice(IDirect3DDevice8** device) {
  return HandOutDevice(m_device, device);
}

template <class I, D3DRESOURCETYPE T>
HRESULT Buffer<I, T>::Lock(UINT offset, UINT size, uint8_t** data, DWORD flags) {
  LogCall("%s::Lock(%u, %u, flags 0x%X)",
          T == D3DRTYPE_VERTEXBUFFER ? "IDirect3DVertexBuffer8" : "IDirect3DIndexBuffer8", offset, size, flags);
  const uint64_t end = uint64_t(offset) + (size ? size : m_bytes.size() - std::min<size_t>(offset, m_bytes.size()));
  if (!data || m_locked || offset > m_bytes.size() || end > m_bytes.size()) return D3DERR_INVALIDCALL;
  if (HRESULT refused = LockRefusal(m_device, D3DPOOL_MANAGED); refused != D3D_OK) return refused;
  m_locked = true;
  *data = m_bytes.data() + offset;
  if (T == D3DRTYPE_VERTEXBUFFER) m_device->StateChanged();
  return D3D_OK;
}

template <class I, D3DRESOURCETYPE T>
HRESULT Buffer<I, T>::Unlock() {
  if (!m_locked) return D3DERR_INVALIDCALL;
  m_locked = false;
  if (T == D3DRTYPE_VERTEXBUFFER) m_device->StateChanged();  // the caller wrote through the lock
  return D3D_OK;
}

template class Buffer<IDirect3DVertexBuffer8, D3DRTYPE_VERTEXBUFFER>;
template class Buffer<IDirect3DIndexBuffer8, D3DRTYPE_INDEXBUFFER>;

}  // namespace PM::SoftD3D
