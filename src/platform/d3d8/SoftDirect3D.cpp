#include <X11/Xlib.h>

#include "platform/PlatformWindow.h"
#include "platform/d3d8/SoftDevice.h"
#include "platform/d3d8/SoftState.h"
#include "platform/d3d8/X11Output.h"

namespace PM::SoftD3D {

namespace {

constexpr UINT kRefreshRate = 60;

bool IsDepthFormat(D3DFORMAT f) {
  const FormatInfo* info = FindFormat(f);
  return info && info->kind == FormatKind::kDepth;
}

bool Refused(D3DDEVTYPE type, DWORD flags, D3DFORMAT depth) {
  for (const Refusal& r : State().refusals) {
    if ((!r.deviceType || r.deviceType == type) && (!r.behaviorFlags || (r.behaviorFlags & flags)) &&
        (!r.depthFormat || r.depthFormat == depth))
      return true;
  }
  return false;
}

}  // namespace

Direct3D::Direct3D() : m_display(OpenDisplay()) {}

Direct3D::~Direct3D() {
  if (m_display) XCloseDisplay(m_display);
}

UINT Direct3D::GetAdapterCount() { return 1; }
UINT Direct3D::GetAdapterModeCount(UINT adapter) { return AdapterReady(adapter) ? 2 : 0; }

HRESULT Direct3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* out) {
  if (!AdapterReady(adapter) || mode > 1 || !out) return D3DERR_INVALIDCALL;
  ScreenSize(m_display, &out->Width, &out->Height);
  out->RefreshRate = kRefreshRate;
  out->Format = mode == 0 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  LogCall("IDirect3D8::GetAdapterDisplayMode(%u)", adapter);
  if (HRESULT f = State().faults[kFaultGetAdapterDisplayMode]; f != D3D_OK) return f;
  return EnumAdapterModes(adapter, 0, mode);
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) {
  if (!AdapterReady(adapter) || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) ||
      (adapterFormat != D3DFMT_X8R8G8B8 && adapterFormat != D3DFMT_R5G6B5))
    return D3DERR_INVALIDCALL;
  const FormatInfo* info = FindFormat(format);
  if (!info) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return info->kind == FormatKind::kDepth ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_RENDERTARGET) return IsDisplayFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (resourceType == D3DRTYPE_TEXTURE) return IsTextureFormat(format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (resourceType == D3DRTYPE_SURFACE) return D3D_OK;
  return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
  if (!AdapterReady(adapter) || !caps || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF)) return D3DERR_INVALIDCALL;
  *caps = State().caps[type == D3DDEVTYPE_REF ? 1 : 0];
  caps->DeviceType = type;
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD flags, D3DPRESENT_PARAMETERS* p,
                               IDirect3DDevice8** out) {
  if (p) {
    LogCall(
        "IDirect3D8::CreateDevice(%u, %u, flags 0x%X, %ux%u format %u count %u windowed %d depth %u "
        "interval 0x%X refresh %u presentflags 0x%X)",
        adapter, type, flags, p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat, p->BackBufferCount,
        p->Windowed, p->AutoDepthStencilFormat, p->FullScreen_PresentationInterval, p->FullScreen_RefreshRateInHz,
        p->Flags);
  }
  if (out) *out = nullptr;
  const DWORD processing = flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                    D3DCREATE_MIXED_VERTEXPROCESSING);
  if (!AdapterReady(adapter) || !out || !p || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) ||
      (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING))
    return D3DERR_INVALIDCALL;
  if (!p->hDeviceWindow) p->hDeviceWindow = focusWindow;
  if (HRESULT r = CheckParameters(p); r != D3D_OK) return r;
  if (Refused(type, flags, p->EnableAutoDepthStencil ? p->AutoDepthStencilFormat : 0)) return D3DERR_NOTAVAILABLE;
  if (State().lost) return D3DERR_DEVICELOST;
  const bool software = processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING || type == D3DDEVTYPE_REF;
  D3DCAPS8 caps = State().caps[software ? 1 : 0];
  caps.DeviceType = type;
  auto* device = new Device(this, type, flags, caps);
  if (HRESULT r = device->Configure(p); r != D3D_OK) {
    device->Release();
    return r;
  }
  ModuleState& s = State();
  s.notReset = false;  // a new device starts afresh
  s.lastParameters = *p;
  s.lastType = type;
  s.lastFlags = flags;
  *out = device;
  return D3D_OK;
}

HRESULT Direct3D::CheckParameters(D3DPRESENT_PARAMETERS* p) {
  if (!p->hDeviceWindow || (p->EnableAutoDepthStencil && !IsDepthFormat(p->AutoDepthStencilFormat)) ||
      p->MultiSampleType != D3DMULTISAMPLE_NONE || p->BackBufferCount > 3)
    return D3DERR_INVALIDCALL;
  uint32_t screenW = 0, screenH = 0;
  ScreenSize(m_display, &screenW, &screenH);
  if (p->Windowed) {
    if (p->BackBufferFormat == D3DFMT_UNKNOWN) p->BackBufferFormat = D3DFMT_X8R8G8B8;
    if (p->BackBufferFormat != D3DFMT_X8R8G8B8 || p->FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
    if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
      uint32_t w = 0, h = 0;
      if (!WindowSize(m_display, p->hDeviceWindow->window, &w, &h)) return D3DERR_INVALIDCALL;
      if (!p->BackBufferWidth) p->BackBufferWidth = w ? w : 1;
      if (!p->BackBufferHeight) p->BackBufferHeight = h ? h : 1;
    }
  } else {
    // Full screen without a mode switch: the screen's size and rate only.
    if (p->BackBufferWidth != screenW || p->BackBufferHeight != screenH ||
        (p->BackBufferFormat != D3DFMT_X8R8G8B8 && p->BackBufferFormat != D3DFMT_R5G6B5) ||
        (p->FullScreen_RefreshRateInHz != 0 && p->FullScreen_RefreshRateInHz != kRefreshRate))
      return D3DERR_INVALIDCALL;
  }
  if (p->BackBufferWidth > kMaxSurfaceSide || p->BackBufferHeight > kMaxSurfaceSide) return D3DERR_OUTOFVIDEOMEMORY;
  return D3D_OK;
}

}  // namespace PM::SoftD3D
