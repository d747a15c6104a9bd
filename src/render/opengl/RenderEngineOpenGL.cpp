// The OpenGL engine's life: construction, the window set-up (API, pixel format, context, extensions, swap
// interval), shutdown and the small accessors. Frames, state, passes and drawing have their own files.
#include "render/opengl/RenderEngineOpenGL.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "core/Language.h"
#include "core/Log.h"
#include "core/LogMsg.h"
#include "platform/EglPbuffer.h"
#include "platform/LastError.h"
#include "platform/PlatformWindow.h"
#include "platform/X11Display.h"
#include "render/opengl/OpenGLMessages.h"
#include "render/opengl/OpenGLPixelFormat.h"
#include "render/opengl/RenderPolygonCacheOpenGL.h"

namespace PM {

namespace {

[[maybe_unused]] const bool g_registered = [] {
  RenderEngine::SetFactory(0, &RenderEngineOpenGL_I::Create);
  RenderEngine::SetFactory(1, &RenderEngineOpenGL_I::Create);
  return true;
}();

constexpr const char* kLocation = "RenderEngineOpenGL_D::InitializeRenderWindow";
constexpr int kReportMode = 2;

StreamPipeRef& EngineLog() { return LogOutPipe(); }

std::string ErrorText() { return PlatformErrorText(GetLastErrorCode()); }

const char* Text(OpenGLMessage m) { return OpenGLMessageText(m, GetLanguage()); }

}  // namespace

RenderEngine_I* RenderEngineOpenGL_I::Create() { return NewCounted<RenderEngineOpenGL_I>(); }

RenderEngineOpenGL_D::RenderEngineOpenGL_D() : m_creatingThread(uint64_t(pthread_self())) {
  static std::atomic<uint64_t> nextSerial{1};
  m_serial = nextSerial.fetch_add(1);
}

RenderEngineOpenGL_D::~RenderEngineOpenGL_D() {
  Log(EngineLog(), kLevelInfo, "RenderEngineOpenGL_D::~RenderEngineOpenGL_D()");
  DeInitializeRenderWindow();
  if (m_apiInitialised) {
    OpenGLAPI& api = OpenGLAPI::Instance();
    if (m_ext.InitCount() > 0) m_ext.Exit();
    api.ExitAPI();
    api.UnloadDLL();
    m_apiInitialised = 0;
  }
  Log(EngineLog(), kLevelInfo, "RenderEngineOpenGL_D::~RenderEngineOpenGL_D() complete.");
}

bool RenderEngineOpenGL_D::GetDC(OpenGLDeviceContext* dc) {
  dc->window = m_window;
  dc->display = m_window ? m_window->display : nullptr;
  if (!dc->display) {
    if (GetLastErrorCode() == 0) SetLastErrorCode(uint32_t(EBADF));
    return false;
  }
  return true;
}

ResultCode RenderEngineOpenGL_D::InitializeRenderWindow(const TextureSettingsInfo* textures,
                                                        const RenderFormatInfo* format, PlatformWindow* window) {
  m_creatingThread = uint64_t(pthread_self());
  if (textures) m_textureSettings = *textures;
  if (format) m_format = *format;
  m_report.Clear();
  m_adapterName.Clear();
  m_displayCount = 0;
  if (!window)
    return LogMsgText(EInvalidArgument, kLocation, "hWnd", kReportMode, "The window handle must not be NULL.");
  m_window = window;
  OpenGLDeviceContext dc;
  SetLastErrorCode(0);
  const bool offscreen = IsOffscreenWindow(window);
  if (!offscreen && !GetDC(&dc))
    return LogMsg(EFail, kLocation, "GetDC", kReportMode, "WindowsError: #1.", ErrorText().c_str());

  ResultCode r = BuildSystemReport(&dc);
  if (r == 0) r = InitOpenGLAPI();
  if (r == 0 && offscreen) r = CreateOffscreenContext();
  if (r == 0 && !offscreen) r = SetupPixelFormat(&dc, &m_format);
  if (r == 0 && !offscreen) r = CreateContext(&dc);
  if (r == 0) r = CheckWindowSize();
  if (r == 0) r = InitExtensions(&dc);
  if (r == 0) r = SetSwapInterval(m_format.SwapInterval);
  if (r != 0) return r;

  const OpenGLAPI& gl = GL();
  GLint units = 1;
  if (m_ext.Has(kGL_ARB_multitexture)) gl.glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
  m_textureUnits = std::clamp(int32_t(units), 1, OpenGLState::kMaxUnits);
  if (m_textureSettings.MaxTextureUnit < m_textureUnits) {
    Log(EngineLog(), kLevelInfo, "OpenGL: MaxTextureUnits=", int32_t(units),
        " Configured=", m_textureSettings.MaxTextureUnit, ".");
    // A configured count below one would leave no unit to draw with.
    m_textureUnits = std::max(1, m_textureSettings.MaxTextureUnit);
  }
  m_maxAnisotropy = 1;
  if (m_ext.Has(kGL_EXT_texture_filter_anisotropic)) {
    GLint a = 1;
    gl.glGetIntegerv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &a);
    m_maxAnisotropy = a;
  }
  gl.CheckError(gl.glGetError(), "InitializeRenderWindow");
  const int32_t viewport[4] = {0, 0, m_format.Width, m_format.Height};
  SetViewport(viewport);
  m_state.Reset(m_textureUnits);
  m_state.Apply(gl, m_ext);
  ForgetHeldColor();
  ForgetClientArrays();
  return SOK;
}

ResultCode RenderEngineOpenGL_D::InitOpenGLAPI() {
  OpenGLAPI& api = OpenGLAPI::Instance();
  if (m_apiInitialised) return SOK;
  SetLastErrorCode(0);
  if (int32_t(api.LoadDLL()) < 0)
    return LogMsg(ENotFound, kLocation, "GL.LoadDLL", kReportMode, Text(OpenGLMessage::kOutdatedDriver), m_adapterName,
                  ErrorText().c_str());
  m_apiInitialised = 1;
  if (int32_t(api.InitAPI()) < 0)
    return LogMsgText(EUnimplemented, kLocation, "GL.InitAPI", kReportMode, Text(OpenGLMessage::kNotInstalled));
  return SOK;
}

ResultCode RenderEngineOpenGL_D::InitExtensions(OpenGLDeviceContext* dc) {
  if (int32_t(m_ext.Init(m_textureSettings.RegistryBasePath, GL(), dc->display, dc->screen)) < 0)
    return LogMsgText(EUnimplemented, kLocation, "GLEXT.Init", kReportMode, Text(OpenGLMessage::kNotInstalled));
  return SOK;
}

ResultCode RenderEngineOpenGL_D::SetupPixelFormat(OpenGLDeviceContext* dc, const RenderFormatInfo* format) {
  if (!ResolveGlx(GL().module, &dc->glx) ||
      !ListPixelFormats(dc->glx, dc->display, dc->screen, m_window->visualId, &dc->formats)) {
    dc->formats = PixelFormatList();
  }
  m_glx = dc->glx;
  m_display = dc->display;
  PixelFormatDescriptor wanted = WantedPixelFormat(*format);
  SetLastErrorCode(0);
  const int index = ChoosePixelFormat(dc->formats, wanted);
  if (index < 1)
    return LogMsg(ENotFound, kLocation, "wChoosePixelFormat", kReportMode, Text(OpenGLMessage::kNoPixelFormat),
                  ErrorText().c_str());
  PixelFormatDescriptor chosen;
  DescribePixelFormat(dc->formats, index, &chosen);
  if (chosen.iPixelType != PFD_TYPE_RGBA || chosen.cColorBits < 12)
    return LogMsgText(ENotFound, kLocation, "wDescribePixelFormat", kReportMode, Text(OpenGLMessage::kNoValidFormat));
  Log(EngineLog(), kLevelInfo, PixelFormatLine(chosen).c_str());
  m_pixelFormatWidth = format->Width;
  m_pixelFormatHeight = format->Height;
  m_genericFormat = (chosen.dwFlags & PFD_GENERIC_FORMAT) ? 1 : 0;
  if (m_genericFormat) {
    LogPixelFormats(dc->formats);
    LogMsg(IPerformance, kLocation, "wDescribePixelFormat/PFD_GENERIC_FORMAT", kReportMode,
           Text(OpenGLMessage::kGenericFormat), m_adapterName);
  }
  // The window's visual is fixed when it is made, so a format of that visual always takes.
  m_config = dc->formats.configs[size_t(index - 1)];
  return SOK;
}

ResultCode RenderEngineOpenGL_D::CreateContext(OpenGLDeviceContext* dc) {
  GlxConfig config;
  config.config = m_config;
  SetLastErrorCode(uint32_t(-1));
  m_context = Glx::CreateContext(dc->glx, dc->display, config);
  if (!m_context) {
    const OpenGLMessage m = m_displayCount >= 2 ? OpenGLMessage::kContextMultiDisplay : OpenGLMessage::kContextFailed;
    LogMsg(EFail, kLocation, "wCreateContext", kReportMode, Text(m), m_adapterName, ErrorText().c_str());
    return EFail;
  }
  SetLastErrorCode(uint32_t(-2));
  if (!Glx::MakeCurrent(dc->glx, dc->display, m_window->window, m_context))
    return LogMsg(EFail, kLocation, "wglMakeCurrent", kReportMode, Text(OpenGLMessage::kNotInstalledError),
                  ErrorText().c_str());
  LogContextStrings();
  return SOK;
}

void RenderEngineOpenGL_D::LogContextStrings() {
  const OpenGLAPI& gl = GL();
  static const struct {
    GLenum name;
    const char* log;
    const char* report;
  } kStrings[] = {{GL_VENDOR, "OpenGL: Vendor: \"", "OpenGL Vendor: \""},
                  {GL_RENDERER, "OpenGL: Renderer: \"", "OpenGL Renderer: \""},
                  {GL_VERSION, "OpenGL: Version: \"", "OpenGL Version: \""}};
  for (const auto& s : kStrings) {
    const GLubyte* text = gl.glGetString(s.name);
    const char* t = text ? reinterpret_cast<const char*>(text) : "";
    Log(EngineLog(), kLevelInfo, s.log, t, "\"");
    for (const char* part : {s.report, t, "\"\r\n"}) m_report.Append(part, int(std::strlen(part)));
  }
}

ResultCode RenderEngineOpenGL_D::CheckWindowSize() {
  GLint most[2] = {0, 0};
  GL().glGetIntegerv(GL_MAX_VIEWPORT_DIMS, most);
  int32_t width = m_format.Width, height = m_format.Height, clientWidth = 0, clientHeight = 0;
  // The drawable is the window's client area, which an attached window sizes itself.
  if (GetCachedClientSize(m_window, &clientWidth, &clientHeight))
    width = std::max(width, clientWidth), height = std::max(height, clientHeight);
  if (most[0] <= 0 || most[1] <= 0 || (width <= most[0] && height <= most[1])) return SOK;
  return LogMsg(EInvalidArgument, kLocation, "GL_MAX_VIEWPORT_DIMS", kReportMode,
                "The window of #1 x #2 pixels is larger than OpenGL draws: at most #3 x #4.", width, height,
                int32_t(most[0]), int32_t(most[1]));
}

ResultCode RenderEngineOpenGL_D::SetSwapInterval(int32_t interval) {
  // Entry points count only while the extension is listed: drivers answer any name they are asked for.
  if (!m_ext.Has(kWGL_EXT_swap_control) || !m_window) return SOK;
  if (m_ext.glXSwapIntervalEXT) {
    SetLastErrorCode(0);
    if (!Glx::SwapInterval(m_ext.glXSwapIntervalEXT, m_display, m_window->window, interval)) {
      const uint32_t e = GetLastErrorCode();
      Log(EngineLog(), kLevelWarn, "wglSwapIntervalEXT failed: \"", e ? PlatformErrorText(e).c_str() : "", "\".");
    }
  }
  unsigned int actual = 0;
  if (m_ext.glXQueryDrawable && Glx::QuerySwapInterval(m_ext.glXQueryDrawable, m_display, m_window->window, &actual) &&
      int64_t(actual) != int64_t(interval))
    Log(EngineLog(), kLevelNote, "wglSwapIntervalEXT returns ", actual, " instead of ", interval, ".");
  return SOK;
}

void RenderEngineOpenGL_D::DeInitializeRenderEngine() {
  Log(EngineLog(), kLevelInfo, "RenderEngineOpenGL_D::DeInitializeRenderEngine()");
  UnloadLiveTextures();
  UnloadTextures();
  UnloadLiveCaches();
  UnloadPolygonCache();
  ReleaseEffects();
  Log(EngineLog(), kLevelInfo, "RenderEngineOpenGL_D::DeInitializeRenderEngine() complete.");
}

ResultCode RenderEngineOpenGL_D::DeInitializeRenderWindow() {
  if (!m_window && !m_context) return SOK;
  // Buffers are deleted on the engine's own context, whichever one the thread has current now.
  if (m_offscreen) {
    m_offscreen->MakeCurrent();
  } else if (m_context && GL().glXGetCurrentContext && GL().glXGetCurrentContext() != m_context) {
    Glx::MakeCurrent(m_glx, m_display, m_window ? m_window->window : 0, m_context);
  }
  DeInitializeRenderEngine();
  if (m_offscreen) {
    m_offscreen->Release();
    m_offscreen.reset();
    m_context = nullptr;
  } else if (m_context) {
    if (!Glx::MakeCurrent(m_glx, m_display, 0, nullptr))
      LogMsg(EFail, kLocation, "wglMakeCurrent", kReportMode, "WindowsError: #1.", ErrorText().c_str());
    Glx::DestroyContext(m_glx, m_display, m_context);
    m_context = nullptr;
  }
  m_window = nullptr;
  return SOK;
}

ResultCode RenderEngineOpenGL_D::SetTextureSettings(const TextureSettingsInfo* textures) {
  if (textures) m_textureSettings = *textures;
  return SOK;
}

ResultCode RenderEngineOpenGL_D::MakeCurrent() {
  if (m_offscreen) {
    if (m_offscreen->MakeCurrent()) return SOK;
    return LogMsgText(EFail, kLocation, "eglMakeCurrent", kReportMode,
                      "The off-screen context cannot be made current.");
  }
  OpenGLDeviceContext dc;
  if (!m_context || !GetDC(&dc)) return ENotActive;
  if (!Glx::MakeCurrent(m_glx, m_display, m_window->window, m_context))
    return LogMsg(EFail, kLocation, "wglMakeCurrent", kReportMode, "WindowsError: #1.", ErrorText().c_str());
  return SOK;
}

void RenderEngineOpenGL_D::GetSystemReport(String* out) {
  if (out) *out = m_report;
}

}  // namespace PM
