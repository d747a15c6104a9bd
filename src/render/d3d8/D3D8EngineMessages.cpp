#include "render/d3d8/D3D8EngineMessages.h"

#include "core/ResultCode.h"
#include "platform/d3d8/D3D8.h"

namespace PM {

namespace {

constexpr uint32_t kMode = 2;

#define PM_NOT_INSTALLED "DirectX Version 8 or higher is not installed or damaged."
#define PM_TRY_FOLLOWING                                                       \
  "  - Change the display mode to 16bit (high color) or 32bit (true color).\n" \
  "  - Change the display resolution to 800x600 or 1024x768.\n"                \
  "  - Select another video resolution or frequency.\n"                        \
  "  - Check that the 'Hardware acceleration' setting in DisplayProperties/Advanced/Troubleshoot is set to 'Full'."

constexpr const char* kCaps = "IDirect3DDevice8::GetDeviceCaps";

const D3D8MessageRow kMessages[] = {
    {0x80000003, "", "The window handle must not be NULL."},
    {0x8000000A, "LoadLibrary(\"d3d8.dll\")", PM_NOT_INSTALLED},
    {0x8000000A, "GetProcAddress(\"Direct3DCreate8\")", PM_NOT_INSTALLED},
    {0x80000008, "Direct3DCreate8", PM_NOT_INSTALLED},
    {0, "Direct3DCreate8",
     "The installed version of DirectX 8 is outdated.\n  Please consider an update to at least DirectX 8.1."},
    {0x80000008, "IDirect3D8::GetAdapterDisplayMode", nullptr},
    {0x8000000A, "IDirect3D8::CreateDevice",
     "No valid Direct3D device configuration could be found.\n  Please try the following:\n" PM_TRY_FOLLOWING},
    {0x80000008, kCaps,
     "The installed version of DirectX 8 does not support software rendering.\n  Please try the following:\n"
     "  - Update to DirectX 8.1 or higher.\n"
     "  - Get the newest display drivers from your graphics card manufacturer.\n" PM_TRY_FOLLOWING},
    {0x80000008, kCaps, "No Direct3D device does support enough vertex streams."},
    {0x40000001, kCaps,
     "The Direct3D hardware does not support enough (only #1) vertex streams.\n  Using software vertex processing to "
     "continue."},
    {0x40000001, kCaps,
     "The Direct3D hardware does not support enough (only #1) vertex indices.\n  Using software vertex processing to "
     "continue."},
    {0x40000001, kCaps,
     "The Direct3D software does not support enough (only #1) vertex indices.\n  Using pure software rendering to "
     "continue."},
    {0x40000001, kCaps,
     "Direct3D is running in pure software rendering mode, which will lead to incredible low performance.\n"
     "  Maybe you need to upgrade your device drivers or even your graphics board."},
    {0x80000008, "IDirect3DDevice8::GetBackBuffer", nullptr},
    {0x40000001, "IDirect3DDevice8::CreateRenderTarget",
     "The current Direct3D device does not support additional hardware color surfaces.\n"
     "  Rendering performance may be slightly reduced when backgrounds are enabled."},
    {0x80000002, "IDirect3DDevice8::CreateRenderTarget",
     "The current Direct3D device does not support additional software color surfaces.\n  No backgrounds will be "
     "displayed."},
    {0x80000008, "GetProcAddress(\"DirectDrawCreateEx\")",
     "DirectDraw Version 7 or higher is not installed or damaged."},
    {0x80000008, "DirectDrawCreateEx", "DirectDraw Version 7 or higher is not installed or damaged."},
    {0x80000008, "IDirectDraw7::SetCooperativeLevel", nullptr},
    {0x80000008, "IDirectDraw7::CreateSurface",
     "The frontbuffer could not be created.\n  DirectDraw returncode is #1."},
    {0x80000011, "BufferLockCount!=0",
     "A buffer lock was still active when scene rendering started.\n  Some versions of DirectX 8 do not support this."},
    {0x80000008, "IDirect3DDevice8::CopyRects",
     "CopyRects failed on ColorBackgroundSurface, background will be uninitialized."},
    {0x80000003, "IDirect3D8::CreateDevice",
     "The Direct3D device cannot hold a back buffer of #1 x #2 pixels (D3DERR_OUTOFVIDEOMEMORY)."},
};
static_assert(sizeof(kMessages) / sizeof(kMessages[0]) == size_t(D3D8Message::kCount));

#undef PM_NOT_INSTALLED
#undef PM_TRY_FOLLOWING

struct ResultName {
  int32_t result;
  const char* name;
};

const ResultName kDirectDrawNames[] = {
    {DDERR_INVALIDPARAMS, "DDERR_INVALIDPARAMS"},
    {DDERR_OUTOFMEMORY, "DDERR_OUTOFMEMORY"},
    {DDERR_INCOMPATIBLEPRIMARY, "DDERR_INCOMPATIBLEPRIMARY"},
    {DDERR_INVALIDCAPS, "DDERR_INVALIDCAPS"},
    {DDERR_INVALIDOBJECT, "DDERR_INVALIDOBJECT"},
    {DDERR_INVALIDPIXELFORMAT, "DDERR_INVALIDPIXELFORMAT"},
    {DDERR_NOALPHAHW, "DDERR_NOALPHAHW"},
    {DDERR_NOCOOPERATIVELEVELSET, "DDERR_NOCOOPERATIVELEVELSET"},
    {DDERR_NOEXCLUSIVEMODE, "DDERR_NOEXCLUSIVEMODE"},
    {DDERR_NOFLIPHW, "DDERR_NOFLIPHW"},
    {DDERR_NOOVERLAYHW, "DDERR_NOOVERLAYHW"},
    {DDERR_NOZBUFFERHW, "DDERR_NOZBUFFERHW"},
    {DDERR_OUTOFVIDEOMEMORY, "DDERR_OUTOFVIDEOMEMORY"},
    {DDERR_NOTFOUND, "DDERR_NOTFOUND"},
    {DDERR_NODIRECTDRAWHW, "DDERR_NODIRECTDRAWHW"},
    {DDERR_NOEMULATION, "DDERR_NOEMULATION"},
    {DDERR_NOMIPMAPHW, "DDERR_NOMIPMAPHW"},
    {DDERR_PRIMARYSURFACEALREADYEXISTS, "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {DDERR_UNSUPPORTEDMODE, "DDERR_UNSUPPORTEDMODE"},
};

const ResultName kDirect3DNames[] = {
    {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
    {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
    {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
    {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
    {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
    {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE"},
    {D3DERR_WRONGTEXTUREFORMAT, "D3DERR_WRONGTEXTUREFORMAT"},
    {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
};

// Reports of a Direct3D or DirectDraw result name it ("8876086C (D3DERR_INVALIDCALL)"); where the two
// share a value, the Direct3D name is the one shown.
bool NameDirectXResults() {
  for (const ResultName& n : kDirect3DNames) NameResultCode(ResultCode(n.result), n.name);
  for (const ResultName& n : kDirectDrawNames) NameResultCode(ResultCode(n.result), n.name);
  return true;
}
[[maybe_unused]] const bool kResultsNamed = NameDirectXResults();

}  // namespace

const D3D8MessageRow& D3D8MessageOf(D3D8Message m) { return kMessages[size_t(m)]; }

ResultCode Report(D3D8Message m, const char* location) {
  const D3D8MessageRow& row = D3D8MessageOf(m);
  if (!row.text) return LogMsgBare(row.code, location, row.function, kMode);
  return LogMsgText(row.code, location, row.function, kMode, row.text);
}

ResultCode Report(D3D8Message m, const char* location, const LogArg& a1) {
  const D3D8MessageRow& row = D3D8MessageOf(m);
  return LogMsgArg1(row.code, location, row.function, kMode, row.text, a1);
}

ResultCode Report(D3D8Message m, const char* location, const LogArg& a1, const LogArg& a2) {
  const D3D8MessageRow& row = D3D8MessageOf(m);
  return LogMsgArg2(row.code, location, row.function, kMode, row.text, a1, a2);
}

const char* DirectDrawErrorName(int32_t result) {
  for (const ResultName& n : kDirectDrawNames)
    if (n.result == result) return n.name;
  return "UNKNOWN";
}

}  // namespace PM
