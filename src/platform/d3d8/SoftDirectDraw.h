// Our DirectDraw 7: a screen-sized primary surface that every Present fills with the window's client
// area at its screen position, and off-screen surfaces in the primary's or a given RGB format.
#pragma once

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/SoftObjects.h"

using Display = struct _XDisplay;

namespace PM::SoftD3D {

class DirectDraw final : public Counted<IDirectDraw7> {
 public:
  DirectDraw();
  ~DirectDraw();
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) override;

 private:
  Display* m_display;
  bool m_cooperative = false;
};

class DDSurface final : public Counted<IDirectDrawSurface7> {
 public:
  DDSurface(uint32_t width, uint32_t height, const FormatInfo* format, DWORD caps);
  ~DDSurface();
  HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;
  HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void* event) override;
  HRESULT Unlock(RECT* rect) override;
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags) override;

  PixelStore& Pixels() { return m_pixels; }
  bool Primary() const { return (m_caps & DDSCAPS_PRIMARYSURFACE) != 0; }

 private:
  DWORD m_caps;
  bool m_locked = false;
  PixelStore m_pixels;
};

// Copies a presented surface's top left w x h pixels into every primary at (x, y) on the screen.
void CopyToPrimaries(PixelStore& source, int32_t x, int32_t y, int32_t w, int32_t h);

}  // namespace PM::SoftD3D
