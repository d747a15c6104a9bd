// The Direct3D 8 engine's set-up: loading the runtime, choosing and creating the device level by level,
// checking what it can do, the back-buffer, background and front-buffer surfaces, and the start state.
#include <algorithm>
#include <string>

#include "core/Log.h"
#include "platform/FpuGuard.h"
#include "platform/PlatformWindow.h"
#include "render/d3d8/D3D8CapsReport.h"
#include "render/d3d8/D3D8EngineMessages.h"
#include "render/d3d8/D3D8FormatNames.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

namespace {

constexpr const char* kLocation = "RenderEngineDirectX8_D::InitializeRenderWindow";
constexpr UINT kNewestSdk = 220;
constexpr uint32_t kIndexLimit = 0xFFDF;  // devices with at most this many vertex indices are refused
constexpr DWORD kMinStreams = 5;
constexpr uint16_t kPrecisionMask = 0x300;  // x87 precision control: 0 24 bits, 0x200 53, 0x300 64
constexpr uint16_t kPrecision53 = 0x200;

std::string g_d3d8File = "d3d8.dll";
std::string g_ddrawFile = "ddraw.dll";

const D3DFORMAT kDepthOrderDeep[] = {D3DFMT_D24X8, D3DFMT_D24X4S4,      D3DFMT_D24S8, D3DFMT_D32,
                                     D3DFMT_D16,   D3DFMT_D16_LOCKABLE, D3DFMT_D15S1};
const D3DFORMAT kDepthOrderShallow[] = {D3DFMT_D16,     D3DFMT_D16_LOCKABLE, D3DFMT_D15S1, D3DFMT_D24X8,
                                        D3DFMT_D24X4S4, D3DFMT_D24S8,        D3DFMT_D32};
const D3DFORMAT kDepthReference[] = {D3DFMT_D16};

UINT PresentationInterval(int32_t swapInterval) {
  switch (swapInterval) {
    case 0:
      return D3DPRESENT_INTERVAL_IMMEDIATE;
    case 1:
      return D3DPRESENT_INTERVAL_ONE;
    case 2:
      return D3DPRESENT_INTERVAL_TWO;
    case 3:
      return D3DPRESENT_INTERVAL_THREE;
    case 4:
      return D3DPRESENT_INTERVAL_FOUR;
    default:
      return D3DPRESENT_INTERVAL_DEFAULT;
  }
}

// Loads a runtime once per engine, logging as the API's prefix says.
ModuleHandle LoadRuntime(ModuleHandle& handle, const std::string& file, const char* prefix, const char* shownName) {
  StreamPipeRef& log = LogOutPipe();
  if (handle) {
    Log(log, kLevelDebug, prefix, ": keeping \"", shownName, "\".");
    return handle;
  }
  Log(log, kLevelDebug, prefix, ": loading \"", shownName, "\".");
  handle = Module::Load(file.c_str());
  if (handle) Log(log, kLevelDebug, prefix, ": success \"", shownName, "\".");
  return handle;
}

}  // namespace

void RenderEngineDirectX8_D::SetModuleFiles(const char* d3d8, const char* ddraw) {
  g_d3d8File = d3d8 ? d3d8 : "d3d8.dll";
  g_ddrawFile = ddraw ? ddraw : "ddraw.dll";
}

ResultCode RenderEngineDirectX8_D::InitializeRenderWindow(const TextureSettingsInfo* textures,
                                                          const RenderFormatInfo* format, PlatformWindow* window) {
  DeInitializeRenderWindow();
  if (textures) m_textureSettings = *textures;
  if (format) m_format = *format;
  m_backLockRefusalShown = false;
  if (!window) return Report(D3D8Message::kNullWindow, kLocation);
  m_window = window;
  m_lastWindow = window;

  if (!LoadRuntime(m_d3d8Module, g_d3d8File, "DirectX8API", "d3d8.dll"))
    return Report(D3D8Message::kLoadD3D8, kLocation);
  auto create = reinterpret_cast<Direct3DCreate8Fn>(Module::Symbol(m_d3d8Module, "Direct3DCreate8"));
  if (!create) return Report(D3D8Message::kNoDirect3DCreate8, kLocation);
  UINT sdk = kNewestSdk;
  for (;; --sdk) {
    m_d3d = create(sdk);
    if (m_d3d || sdk == 0) break;
  }
  if (!m_d3d) return Report(D3D8Message::kDirect3DCreate8Failed, kLocation);
  if (sdk != kNewestSdk) Report(D3D8Message::kOutdated, kLocation);

  if (ResultCode r = CreateDevice(window); r != 0) return r;
  if (m_format.BufferBackgroundColorCount > 0) {
    if (m_device->CreateRenderTarget(m_backBufferWidth, m_backBufferHeight, m_backBufferFormat, D3DMULTISAMPLE_NONE, 1,
                                     &m_backgroundSurface) != D3D_OK) {
      Report(D3D8Message::kNoHardwareBackground, kLocation);
      if (m_device->CreateImageSurface(m_backBufferWidth, m_backBufferHeight, m_backBufferFormat,
                                       &m_backgroundSurface) != D3D_OK)
        return Report(D3D8Message::kNoSoftwareBackground, kLocation);
    }
  }
  if (m_format.BufferFrontColorAccessEnable)
    if (ResultCode r = OpenFrontBuffer(window); r != 0) return r;

  BuildTextureFormatTable(m_d3d, 0, D3DDEVTYPE_HAL, m_backBufferFormat, &m_texFormat);
  // Device creation may lower the x87 precision: at least 53 bits again. The 64 bits Linux starts with
  // are kept, so that long double keeps its width (SSE arithmetic sees none of this).
  const uint16_t word = FpuGuard::ReadControlWord();
  if ((word & kPrecisionMask) < kPrecision53)
    FpuGuard::WriteControlWord(uint16_t((word & ~kPrecisionMask) | kPrecision53));
  const int32_t viewport[4] = {0, 0, m_format.Width, m_format.Height};
  SetViewport(viewport);
  m_fixedState.Reset(int32_t(m_caps.MaxSimultaneousTextures));
  m_fixedState.Apply(m_device);
  // Highlights as the OpenGL engine computes them (a viewer far along the view axis, not at the eye),
  // so that a shiny surface looks the same on both engines.
  m_device->SetRenderState(D3DRS_LOCALVIEWER, 0);
  return 0;
}

ResultCode RenderEngineDirectX8_D::CreateDevice(PlatformWindow* window) {
  bool referenceReached = false;
  bool tooLarge = false;  // a device answered that the back buffer does not fit
  // Levels only ever go down: 3 hardware processing, 2 software processing, 1 reference device.
  for (int32_t level = 3;;) {
    if (level <= 0) {
      // Direct3D 8 states no back-buffer limit: the refusal itself is the one word on the size.
      if (tooLarge)
        return Report(D3D8Message::kBackBufferTooLarge, kLocation, LogArg(unsigned(m_backBufferWidth)),
                      LogArg(unsigned(m_backBufferHeight)));
      return Report(D3D8Message::kNoDevice, kLocation);
    }
    referenceReached = referenceReached || level == 1;
    m_vertexUsage = level == 3 ? 0 : D3DUSAGE_SOFTWAREPROCESSING;
    D3DPRESENT_PARAMETERS p;
    if (!PresentParameters(window, &p)) return Report(D3D8Message::kAdapterDisplayMode, kLocation);
    if (!TryDevice(level, window, p, &tooLarge)) {
      --level;
      continue;
    }
    m_device->GetDeviceCaps(&m_caps);
    m_availableTextureMemory = m_device->GetAvailableTextureMem();
    LogDeviceLines();
    if (int32_t(m_caps.MaxSimultaneousTextures) > m_textureSettings.MaxTextureUnit) {
      Log(LogOutPipe(), kLevelInfo, "DirectX: MaxTextureUnits=", m_caps.MaxSimultaneousTextures,
          " Configured=", m_textureSettings.MaxTextureUnit, ".");
      m_caps.MaxSimultaneousTextures = DWORD(std::max(0, m_textureSettings.MaxTextureUnit));
    }
    ResultCode refusal = 0;
    const int32_t next = AcceptedLevel(level, &refusal);
    if (refusal != 0) {
      m_device->Release(), m_device = nullptr;
      return refusal;
    }
    if (next == level) break;
    m_device->Release(), m_device = nullptr;
    level = std::min(next, level - 1);
  }

  if (referenceReached) Report(D3D8Message::kPureSoftware, kLocation);
  if (m_device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &m_backSurface) != D3D_OK)
    return Report(D3D8Message::kGetBackBuffer, kLocation);
  return 0;
}

bool RenderEngineDirectX8_D::PresentParameters(PlatformWindow* window, D3DPRESENT_PARAMETERS* out) {
  D3DPRESENT_PARAMETERS& p = *out;
  if (!m_format.Fullscreen) {
    D3DDISPLAYMODE mode;
    if (m_d3d->GetAdapterDisplayMode(0, &mode) != D3D_OK) return false;
    p.BackBufferFormat = mode.Format;
    WindowRect client;
    const bool known = GetClientRect(window, &client);
    p.BackBufferWidth = known ? UINT(client.right) : 640;
    p.BackBufferHeight = known ? UINT(client.bottom) : 480;
    p.Windowed = 1;
  } else {
    p.BackBufferFormat = m_format.ColorBits >= 24 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    p.BackBufferWidth = UINT(m_format.Width);
    p.BackBufferHeight = UINT(m_format.Height);
    p.Windowed = 0;
    p.FullScreen_RefreshRateInHz = UINT(m_format.RefreshRate);
    p.FullScreen_PresentationInterval = PresentationInterval(m_format.SwapInterval);
  }
  p.BackBufferCount = UINT(m_format.BufferBackColorCount);
  p.MultiSampleType = D3DMULTISAMPLE_NONE;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = window;
  p.EnableAutoDepthStencil = 1;
  p.Flags = m_format.BufferBackColorAccessEnable || m_format.BufferBackDepthStencilAccessEnable
                ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER
                : 0;
  m_backBufferFormat = p.BackBufferFormat;
  m_backBufferWidth = p.BackBufferWidth;
  m_backBufferHeight = p.BackBufferHeight;
  return true;
}

bool RenderEngineDirectX8_D::TryDevice(int32_t level, PlatformWindow* window, const D3DPRESENT_PARAMETERS& p,
                                       bool* tooLarge) {
  const bool hardware = level == 3;
  const D3DDEVTYPE type = level == 1 ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
  const D3DFORMAT* order = level == 1                 ? kDepthReference
                           : m_format.DepthBits >= 24 ? kDepthOrderDeep
                                                      : kDepthOrderShallow;
  const int orderCount = level == 1 ? 1 : 7;
  const DWORD behaviour = hardware ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  for (int i = 0; i < orderCount && !m_device; ++i) {
    D3DPRESENT_PARAMETERS attempt = p;
    attempt.AutoDepthStencilFormat = order[i];
    const HRESULT created = m_d3d->CreateDevice(0, type, window, behaviour, &attempt, &m_device);
    if (created != D3D_OK) {
      m_device = nullptr;
      *tooLarge = *tooLarge || created == D3DERR_OUTOFVIDEOMEMORY;
    } else {
      m_depthFormat = order[i];
    }
  }
  return m_device != nullptr;
}

int32_t RenderEngineDirectX8_D::AcceptedLevel(int32_t level, ResultCode* refusal) {
  const bool hardware = level == 3;
  if (m_caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE) {
    if (!hardware) *refusal = Report(D3D8Message::kNoSoftwareRendering, kLocation);
    return 2;
  }
  if (m_caps.MaxStreams < kMinStreams) {
    if (!hardware) {
      *refusal = Report(D3D8Message::kSoftwareStreams, kLocation);
      return 2;
    }
    Report(D3D8Message::kHardwareStreams, kLocation, LogArg(unsigned(m_caps.MaxStreams)));
    return 2;
  }
  m_indexFormat = m_caps.MaxVertexIndex >= 0x10000 ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
  if (m_caps.MaxVertexIndex > kIndexLimit) return level;
  const LogArg count(unsigned(m_caps.MaxVertexIndex));
  if (hardware) {
    Report(D3D8Message::kHardwareIndices, kLocation, count);
    return 2;
  }
  if (level == 2) {
    Report(D3D8Message::kSoftwareIndices, kLocation, count);
    return 1;
  }
  return 0;
}

void RenderEngineDirectX8_D::LogDeviceLines() {
  StreamPipeRef& log = LogOutPipe();
  WriteD3D8CapsReport(log, kLevelInfo, m_caps);
  Log(log, kLevelInfo, "  D3DDM.BackBufferFormat: ", D3D8ColorFormatName(m_backBufferFormat), " (",
      uint32_t(m_backBufferFormat), ")");
  Log(log, kLevelInfo, "  D3DDM.AutoDepthStencilFormat: ", D3D8DepthFormatName(m_depthFormat), " (",
      uint32_t(m_depthFormat), ")");
  Log(log, kLevelInfo, "  AvailableTextureMem: ", m_availableTextureMemory);
  Log(log, kLevelInfo,
      "  VertexShader: ", m_vertexUsage == 0 ? "HARDWARE_VERTEXPROCESSING" : "SOFTWARE_VERTEXPROCESSING");
}

ResultCode RenderEngineDirectX8_D::OpenFrontBuffer(PlatformWindow* window) {
  if (!LoadRuntime(m_ddrawModule, g_ddrawFile, "DirectX7API", "ddraw.dll"))
    return Report(D3D8Message::kNoDirectDrawCreateEx, kLocation);
  auto create = reinterpret_cast<DirectDrawCreateExFn>(Module::Symbol(m_ddrawModule, "DirectDrawCreateEx"));
  if (!create) return Report(D3D8Message::kNoDirectDrawCreateEx, kLocation);
  void* object = nullptr;
  if (create(nullptr, &object, IID_IDirectDraw7, nullptr) != DD_OK || !object)
    return Report(D3D8Message::kDirectDrawCreateEx, kLocation);
  m_directDraw = static_cast<IDirectDraw7*>(object);
  if (m_directDraw->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK)
    return Report(D3D8Message::kCooperativeLevel, kLocation);
  DDSURFACEDESC2 desc;
  desc.dwSize = DDSURFACEDESC2::kPublishedSize;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (HRESULT r = m_directDraw->CreateSurface(&desc, &m_frontSurface, nullptr); r != DD_OK) {
    m_frontSurface = nullptr;
    return Report(D3D8Message::kFrontBuffer, kLocation, LogArg(DirectDrawErrorName(r)));
  }
  DDSURFACEDESC2 primary;
  primary.dwSize = DDSURFACEDESC2::kPublishedSize;
  m_frontSurface->GetSurfaceDesc(&primary);
  DDSURFACEDESC2 copy;
  copy.dwSize = DDSURFACEDESC2::kPublishedSize;
  copy.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  copy.dwWidth = primary.dwWidth;
  copy.dwHeight = primary.dwHeight;
  copy.ddpfPixelFormat = primary.ddpfPixelFormat;
  if (HRESULT r = m_directDraw->CreateSurface(&copy, &m_frontCopySurface, nullptr); r != DD_OK) {
    m_frontCopySurface = nullptr;
    return Report(D3D8Message::kFrontBuffer, kLocation, LogArg(DirectDrawErrorName(r)));
  }
  return 0;
}

}  // namespace PM
