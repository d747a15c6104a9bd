#include "platform/d3d8/SoftDirectDraw.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>

#include "platform/d3d8/SoftState.h"
#include "platform/d3d8/X11Output.h"

namespace PM::SoftD3D {

namespace {

// The pixel formats our surfaces take, described as DirectDraw does.
void Describe(const FormatInfo* f, DDPIXELFORMAT* out) {
  *out = DDPIXELFORMAT{};
  out->dwFlags = DDPF_RGB;
  out->dwRGBBitCount = f->bytes * 8;
  if (f->format == D3DFMT_R5G6B5) {
    out->dwRBitMask = 0xF800, out->dwGBitMask = 0x07E0, out->dwBBitMask = 0x001F;
  } else {
    out->dwRBitMask = 0xFF0000, out->dwGBitMask = 0xFF00, out->dwBBitMask = 0xFF;
  }
}

// The format a pixel-format description names, or null.
const FormatInfo* FormatOf(const DDPIXELFORMAT& p) {
  if (!(p.dwFlags & DDPF_RGB) || (p.dwFlags & DDPF_ALPHAPIXELS)) return nullptr;
  if (p.dwRGBBitCount == 32 && p.dwRBitMask == 0xFF0000 && p.dwGBitMask == 0xFF00 && p.dwBBitMask == 0xFF)
    return FindFormat(D3DFMT_X8R8G8B8);
  if (p.dwRGBBitCount == 16 && p.dwRBitMask == 0xF800 && p.dwGBitMask == 0x07E0 && p.dwBBitMask == 0x1F)
    return FindFormat(D3DFMT_R5G6B5);
  return nullptr;
}

}  // namespace

DirectDraw::DirectDraw() : m_display(OpenDisplay()) {}

DirectDraw::~DirectDraw() {
  if (m_display) XCloseDisplay(m_display);
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  LogCall("IDirectDraw7::SetCooperativeLevel(flags 0x%X)", flags);
  if (HRESULT f = State().faults[kFaultDirectDrawCooperativeLevel]; f != D3D_OK) return f;
  if (flags != DDSCL_NORMAL || !window) return DDERR_INVALIDPARAMS;
  m_cooperative = true;
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, IUnknown* outer) {
  LogCall("IDirectDraw7::CreateSurface(flags 0x%X, caps 0x%X)", desc ? desc->dwFlags : 0,
          desc ? desc->ddsCaps.dwCaps : 0);
  if (!desc || !out || outer || desc->dwSize != DDSURFACEDESC2::kPublishedSize) return DDERR_INVALIDPARAMS;
  *out = nullptr;
  if (!m_cooperative) return DDERR_NOCOOPERATIVELEVELSET;
  if (!m_display) return DDERR_NODIRECTDRAWHW;
  const DWORD caps = desc->dwFlags & DDSD_CAPS ? desc->ddsCaps.dwCaps : 0;
  if (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
  uint32_t screenW = 0, screenH = 0;
  ScreenSize(m_display, &screenW, &screenH);
  const FormatInfo* screenFormat = FindFormat(D3DFMT_X8R8G8B8);
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (HRESULT f = State().faults[kFaultDirectDrawPrimary]; f != D3D_OK) return f;
    if (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (!State().primaries.empty()) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    *out = new DDSurface(screenW, screenH, screenFormat, caps);
    return DD_OK;
  }
  if (HRESULT f = State().faults[kFaultDirectDrawSurface]; f != D3D_OK) return f;
  if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || !desc->dwWidth || !desc->dwHeight ||
      desc->dwWidth > kMaxSurfaceSide || desc->dwHeight > kMaxSurfaceSide)
    return DDERR_INVALIDPARAMS;
  const FormatInfo* format = screenFormat;
  if (desc->dwFlags & DDSD_PIXELFORMAT) format = FormatOf(desc->ddpfPixelFormat);
  if (!format) return DDERR_INVALIDPIXELFORMAT;
  *out = new DDSurface(desc->dwWidth, desc->dwHeight, format, caps | DDSCAPS_OFFSCREENPLAIN);
  return DD_OK;
}

DDSurface::DDSurface(uint32_t width, uint32_t height, const FormatInfo* format, DWORD caps) : m_caps(caps) {
  m_pixels.Allocate(width, height, format);
  if (Primary()) State().primaries.push_back(this);
}

DDSurface::~DDSurface() {
  auto& list = State().primaries;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

HRESULT DDSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
  if (!desc || desc->dwSize != DDSURFACEDESC2::kPublishedSize) return DDERR_INVALIDPARAMS;
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = m_pixels.width;
  desc->dwHeight = m_pixels.height;
  desc->lPitch = int32_t(m_pixels.pitch);
  desc->lpSurface = nullptr;
  Describe(m_pixels.info, &desc->ddpfPixelFormat);
  desc->ddsCaps = DDSCAPS2{m_caps, 0, 0, 0};
  return DD_OK;
}

HRESULT DDSurface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void*) {
  LogCall("IDirectDrawSurface7::Lock(flags 0x%X)", flags);
  if (!desc || desc->dwSize != DDSURFACEDESC2::kPublishedSize) return DDERR_INVALIDPARAMS;
  RECT r = rect ? *rect : RECT{0, 0, int32_t(m_pixels.width), int32_t(m_pixels.height)};
  if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || uint32_t(r.right) > m_pixels.width ||
      uint32_t(r.bottom) > m_pixels.height)
    return DDERR_INVALIDPARAMS;
  if (m_locked) return DDERR_SURFACEBUSY;
  if (HRESULT f = State().faults[kFaultLock]; f != D3D_OK) return f;
  GetSurfaceDesc(desc);
  desc->lpSurface = m_pixels.Row(uint32_t(r.top)) + size_t(r.left) * m_pixels.info->bytes;
  m_locked = true;
  return DD_OK;
}

HRESULT DDSurface::Unlock(RECT*) {
  if (!m_locked) return DDERR_INVALIDPARAMS;
  m_locked = false;
  return DD_OK;
}

HRESULT DDSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, RECT* sourceRect, DWORD) {
  LogCall("IDirectDrawSurface7::BltFast(%u, %u)", x, y);
  auto* from = static_cast<DDSurface*>(source);
  if (!from || from == this || from->m_pixels.info != m_pixels.info) return DDERR_INVALIDPARAMS;
  PixelStore& s = from->m_pixels;
  RECT r = sourceRect ? *sourceRect : RECT{0, 0, int32_t(s.width), int32_t(s.height)};
  const int64_t w = int64_t(r.right) - r.left, h = int64_t(r.bottom) - r.top;
  if (r.left < 0 || r.top < 0 || w <= 0 || h <= 0 || r.right > int64_t(s.width) || r.bottom > int64_t(s.height) ||
      x + w > int64_t(m_pixels.width) || y + h > int64_t(m_pixels.height))
    return DDERR_INVALIDPARAMS;
  const uint32_t bpp = s.info->bytes;
  for (int64_t row = 0; row < h; ++row)
    std::memcpy(m_pixels.Row(uint32_t(y + row)) + size_t(x) * bpp, s.Row(uint32_t(r.top + row)) + size_t(r.left) * bpp,
                size_t(w) * bpp);
  return DD_OK;
}

void CopyToPrimaries(PixelStore& source, int32_t x, int32_t y, int32_t w, int32_t h) {
  for (DDSurface* primary : State().primaries) {
    PixelStore& d = primary->Pixels();
    for (int32_t row = std::max(0, -y); row < h && y + row < int32_t(d.height); ++row) {
      const uint8_t* from = source.Row(uint32_t(row));
      uint8_t* to = d.Row(uint32_t(y + row));
      for (int32_t col = std::max(0, -x); col < w && x + col < int32_t(d.width); ++col) {
        const uint32_t c =
            UnpackColor(source.info->format, LoadPixel(from + size_t(col) * source.info->bytes, source.info->bytes));
        StorePixel(to + size_t(x + col) * d.info->bytes, d.info->bytes, PackColor(d.info->format, c));
      }
    }
  }
}

}  // namespace PM::SoftD3D
