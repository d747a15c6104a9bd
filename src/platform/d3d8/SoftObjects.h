// The objects of our software Direct3D 8: the counted base that every object shares (reference count,
// live count), surfaces with real bytes in their format's layout, textures with mip chains, and
// vertex and index buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/DevicePixelFormats.h"

namespace PM::SoftD3D {

class Device;

void CountLiveObject(int delta);

// A counted object of one interface. Created with count 1; the last Release deletes it.
template <class Interface>
class Counted : public Interface {
 public:
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 protected:
  Counted() { CountLiveObject(1); }
  virtual ~Counted() { CountLiveObject(-1); }

 private:
  ULONG m_refs = 1;
};

// Pixel storage of a surface: pitch = width x bytes per pixel.
struct PixelStore {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t pitch = 0;
  const FormatInfo* info = nullptr;
  std::vector<uint8_t> bytes;
  // Counts changes of the bytes (unlocks, copies), so that a decoded copy knows when it is stale.
  uint32_t version = 0;
  std::vector<uint32_t> decoded;  // the texels as A8R8G8B8, for sampling
  uint32_t decodedVersion = ~0u;

  void Allocate(uint32_t w, uint32_t h, const FormatInfo* f) {
    width = w, height = h, info = f, pitch = w * f->bytes;
    bytes.assign(size_t(pitch) * h, 0);
    ++version;
  }
  uint8_t* Row(uint32_t y) { return bytes.data() + size_t(y) * pitch; }
};

// A surface: back buffer, render target, image or depth surface, or a texture level. A level's counts
// go to its texture; a surface the device owns (back buffer, auto depth) keeps the device unowned.
class Surface final : public IDirect3DSurface8 {
 public:
  Surface(Device* device, bool holdsDevice, uint32_t width, uint32_t height, const FormatInfo* format, DWORD usage,
          D3DPOOL pool, bool lockable, IUnknown* container);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  PixelStore& Pixels() { return m_pixels; }
  D3DFORMAT Format() const { return m_pixels.info->format; }
  void DetachDevice() { m_device = nullptr; }
  Device* OwnerDevice() const { return m_device; }

 private:
  Device* m_device;
  bool m_holdsDevice;
  DWORD m_usage;
  D3DPOOL m_pool;
  bool m_lockable;
  bool m_locked = false;
  IUnknown* m_container;
  ULONG m_refs = 1;
  PixelStore m_pixels;
};

class Texture final : public Counted<IDirect3DTexture8> {
 public:
  Texture(Device* device, uint32_t width, uint32_t height, uint32_t levels, DWORD usage, const FormatInfo* format,
          D3DPOOL pool);
  ~Texture();

  HRESULT GetDevice(IDirect3DDevice8** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return DWORD(m_levels.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  Surface* Level(uint32_t i) { return i < m_levels.size() ? m_levels[i] : nullptr; }

  // The full chain a width and height give (down to 1 x 1).
  static uint32_t FullChain(uint32_t width, uint32_t height);

 private:
  Device* m_device;
  std::vector<Surface*> m_levels;
};

// Vertex and index buffers: plain bytes with one lock at a time.
template <class Interface, D3DRESOURCETYPE kType>
class Buffer final : public Counted<Interface> {
 public:
  Buffer(Device* device, uint32_t length, DWORD usage, uint32_t formatWord);
  ~Buffer();

  HRESULT GetDevice(IDirect3DDevice8** device) override;
  D3DRESOURCETYPE GetType() override { return kType; }
  HRESULT Lock(UINT offset, UINT size, uint8_t** data, DWORD flags) override;
  HRESULT Unlock() override;

  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  uint32_t FormatWord() const { return m_formatWord; }  // FVF or index format

 private:
  Device* m_device;
  DWORD m_usage;
  uint32_t m_formatWord;
  bool m_locked = false;
  std::vector<uint8_t> m_bytes;
};

using VertexBuffer = Buffer<IDirect3DVertexBuffer8, D3DRTYPE_VERTEXBUFFER>;
using IndexBuffer = Buffer<IDirect3DIndexBuffer8, D3DRTYPE_INDEXBUFFER>;

}  // namespace PM::SoftD3D
