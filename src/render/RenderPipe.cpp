#include "render/RenderPipe.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"
#include "platform/LastError.h"
#include "platform/PerformanceCounter.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "platform/X11Display.h"
#include "render/RenderStatistics.h"

namespace PM {

namespace {

void SleepMs(int32_t ms) {
  if (ms <= 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

PresentTiming g_timing{&QueryPerformanceCounter, &SleepMs};
constexpr double kMaxPresentWaitMs = 1000.0;

}  // namespace

void RenderPipe_I::Define() {
  const ClassDef classes[] = {ConcreteClass<RenderPipe_I>()};
  DefineClasses(classes);
  using P = RenderPipe_I;
  const MemberDef members[] = {
      FieldMember<&P::m_renderEngineType>(0x01FFF080, "RenderEngineType"),
      AccessorMember<&P::GetFullscreen, &P::SetFullscreen>(0x02FFF080, "Fullscreen"),
      AccessorMember<&P::GetResolution, &P::SetResolution>(0x03FFF080, "Resolution"),
      FieldMember<&P::m_refreshRate>(0x04FFF080, "RefreshRate"),
      FieldMember<&P::m_swapInterval>(0x05FFF080, "SwapInterval"),
      FieldMember<&P::m_colorBits>(0x06FFF080, "ColorBits"),
      FieldMember<&P::m_alphaBits>(0x07FFF080, "AlphaBits"),
      FieldMember<&P::m_depthBits>(0x08FFF080, "DepthBits"),
      FieldMember<&P::m_stencilBits>(0x09FFF080, "StencilBits"),
      FieldMember<&P::m_bufferBackColorCount>(0x0AFFF080, "BufferBackColorCount"),
      FieldMember<&P::m_bufferBackgroundColorCount>(0x0BFFF080, "BufferBackgroundColorCount"),
      FieldMember<&P::m_bufferBackgroundDepthStencilCount>(0x0CFFF080, "BufferBackgroundDepthStencilCount"),
      FieldMember<&P::m_bufferFrontColorAccessEnable>(0x0DFFF080, "BufferFrontColorAccessEnable"),
      FieldMember<&P::m_bufferBackColorAccessEnable>(0x0EFFF080, "BufferBackColorAccessEnable"),
      FieldMember<&P::m_bufferBackDepthStencilAccessEnable>(0x0FFFF080, "BufferBackDepthStencilAccessEnable"),
      FieldMember<&P::m_windowBorderEnable>(0x10FFF080, "WindowBorderEnable"),
      AccessorMember<&P::GetWindowPosition, &P::SetWindowPosition>(0x11FFF080, "WindowPosition"),
      FieldMember<&P::m_windowTitle>(0x12FFF080, "WindowTitle"),
      AccessorMember<&P::GetEnableTexture, &P::SetEnableTexture>(0x13FFF080, "EnableTexture"),
      AccessorMember<&P::GetEnableTextureThread, &P::SetEnableTextureThread>(0x14FFF080, "EnableTextureThread"),
      AccessorMember<&P::GetMaxTextureUnit, &P::SetMaxTextureUnit>(0x15FFF080, "MaxTextureUnit"),
      AccessorMember<&P::GetWindowVisibility, &P::SetWindowVisibility>(0x16FFF080, "WindowVisibility"),
      AccessorMember<&P::GetTextureLoadTimeLimit, &P::SetTextureLoadTimeLimit>(0x17FFF080, "TextureLoadTimeLimit"),
      AccessorMember<&P::GetImagePath, &P::SetImagePath>(0x18FFF080, "ImagePath"),
      AccessorMember<&P::GetWindowResizeable, &P::SetWindowResizeable>(0x19FFF080, "WindowResizeable"),
      AccessorMember<&P::GetWindowMaximize, &P::SetWindowMaximize>(0x1AFFF080, "WindowMaximize"),
      AccessorMember<&P::GetMaxTextureSizeShift, &P::SetMaxTextureSizeShift>(0x1BFFF080, "MaxTextureSizeShift"),
      FieldMember<&P::m_swapRateLimit>(0x1CFFF080, "SwapRateLimit"),
  };
  DefineMembers(members);
}

int32_t SaturatingInt(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0f) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

PresentTiming RenderPipe_I::SetPresentTiming(PresentTiming timing) {
  PresentTiming old = g_timing;
  g_timing = timing;
  return old;
}

RenderPipe_I::RenderPipe_I() { m_d.lastPresent = g_timing.now(); }

RenderPipe_I::~RenderPipe_I() {
  DeInitializeWindow();
  Log(LogOutPipe(), kLevelDebug, "RenderPipe_D::~RenderPipe_D()");
}

RenderFormatInfo RenderPipe_I::FormatInfo() const {
  RenderFormatInfo f;
  // Memory has no screen to fill: an off-screen surface is drawn as a window of the resolution.
  f.Fullscreen = m_fullscreen && !IsOffscreenWindow(m_d.window) ? 1 : 0;
  f.Width = m_width;
  f.Height = m_height;
  f.RefreshRate = m_refreshRate;
  f.SwapRateLimit = m_swapRateLimit;
  f.SwapInterval = m_swapInterval;
  f.ColorBits = m_colorBits;
  f.AlphaBits = m_alphaBits;
  f.DepthBits = m_depthBits;
  f.StencilBits = m_stencilBits;
  f.BufferBackColorCount = m_bufferBackColorCount;
  f.BufferBackgroundColorCount = m_bufferBackgroundColorCount;
  f.BufferBackgroundDepthStencilCount = m_bufferBackgroundDepthStencilCount;
  f.BufferFrontColorAccessEnable = m_bufferFrontColorAccessEnable;
  f.BufferBackColorAccessEnable = m_bufferBackColorAccessEnable;
  f.BufferBackDepthStencilAccessEnable = m_bufferBackDepthStencilAccessEnable;
  return f;
}

TextureSettingsInfo RenderPipe_I::TextureSettings() const {
  TextureSettingsInfo t;
  t.EnableTexture = m_enableTexture;
  t.EnableTextureThread = m_enableTextureThread;
  t.TextureLoadTimeLimit = m_textureLoadTimeLimit;
  t.MaxTextureUnit = m_maxTextureUnit;
  t.MaxTextureSizeShift = m_maxTextureSizeShift;
  t.ImagePath = m_imagePath;
  t.RegistryBasePath = m_d.secondPath;
  return t;
}

// ---- members with effects ----------------------------------------------------------------------------

void RenderPipe_I::SetFullscreen(bool on) {
  bool changed = on != m_fullscreen;
  m_fullscreen = on;
  if (changed && IsReady()) ApplyFormat();
}

void RenderPipe_I::SetResolution(const Vector2f& v) {
  // X refuses empty windows.
  m_width = std::max(1, SaturatingInt(v.x));
  m_height = std::max(1, SaturatingInt(v.y));
  if (m_d.engine) ResizeWindow();
}

void RenderPipe_I::SetWindowPosition(const Vector2f& v) {
  m_windowX = SaturatingInt(v.x);
  m_windowY = SaturatingInt(v.y);
}

void RenderPipe_I::PassTextureSettings() {
  if (!m_d.engine) return;
  TextureSettingsInfo t = TextureSettings();
  m_d.engine->Engine()->SetTextureSettings(&t);
}

void RenderPipe_I::SetEnableTexture(int32_t v) { m_enableTexture = v, PassTextureSettings(); }
void RenderPipe_I::SetEnableTextureThread(int32_t v) { m_enableTextureThread = v, PassTextureSettings(); }
void RenderPipe_I::SetMaxTextureUnit(int32_t v) { m_maxTextureUnit = v, PassTextureSettings(); }
void RenderPipe_I::SetTextureLoadTimeLimit(float v) { m_textureLoadTimeLimit = v, PassTextureSettings(); }
void RenderPipe_I::SetImagePath(const String& v) { m_imagePath = v, PassTextureSettings(); }
void RenderPipe_I::SetMaxTextureSizeShift(int32_t v) { m_maxTextureSizeShift = v, PassTextureSettings(); }

// ---- engine ----------------------------------------------------------------------------------------

ResultCode RenderPipe_I::ApplyFormat() {
  // The timer resolution request has no counterpart here: sleeps are precise already.
  DeInitializeWindow();
  if (int32_t r = CreateOwnWindow(); r != 0) return ResultCode(r);
  const String& type = m_renderEngineType;
  bool direct3d = type.EqualsCStr("DirectX") || type.EqualsCStr("DirectX8");
  if (!direct3d && !type.EqualsCStr("Auto") && !type.EqualsCStr("OpenGL") && !type.EqualsCStr("OpenGL1.2") &&
      !type.EqualsCStr("OpenGL1.3")) {
    StreamPipeRef& log = LogOutPipe();
    if (LogLevelAdmits(kLevelWarn)) {
      log->BeginMessage(kLevelWarn);
      log.WriteText("ApplyFormat: engine type ")
          .WriteQuotedString(type, '"')
          .WriteText(" is unknown, defaulting to \"OpenGL\"");
      log.EndLine();
      log->EndMessage();
    }
  }
  Ptr<RenderEngine_I> engine = RenderEngine::Create(direct3d ? 2 : 1);
  if (!engine) return ResultCode(-1);
  TextureSettingsInfo textures = TextureSettings();
  RenderFormatInfo format = FormatInfo();
  ResultCode r = engine->Engine()->InitializeRenderWindow(&textures, &format, m_d.window);
  if (int32_t(r) < 0) engine.Clear();
  m_d.lastPresent = g_timing.now();
  m_d.engine = engine;
  return r;
}

int32_t RenderPipe_I::DeInitializeWindow() {
  StreamPipeRef& log = LogOutPipe();
  Log(log, kLevelDebug, "RenderPipe_D::DeInitializeWindow()...");
  if (m_d.engine) {
    int32_t refs = BlockRefCount(m_d.engine.Get());
    if (refs != 1) Log(log, kLevelWarn, "RenderPipe_D::DeInitializeWindow: m_RenderEngine.GetRef is ", refs);
    m_d.engine.Clear();
  }
  if (!m_d.attachedWindow && m_d.window && !m_d.windowGone) {
    Log(log, kLevelDebug, "RenderPipe_D::DeInitializeWindow() DestroyWindow...");
    if (!DestroyPlatformWindow(m_d.window))
      Log(log, kLevelError, "DestroyWindow failed: \"", PlatformErrorText(GetLastErrorCode()).c_str(), "\".");
    Log(log, kLevelDebug, "RenderPipe_D::DeInitializeWindow() DestroyWindow ok.");
  }
  if (m_d.classRegistered) {
    if (--s_classUsers == 0) UnregisterWindowClass(kWindowClassName);
  }
  m_d.window = nullptr;
  m_d.classRegistered = false;
  Log(log, kLevelDebug, "RenderPipe_D::DeInitializeWindow() ok.");
  return 0;
}

RenderEngine* RenderPipe_I::GetRenderEngine() { return m_d.engine ? m_d.engine->Engine() : nullptr; }
int32_t RenderPipe_I::GetTextureLoadCount() { return m_d.engine ? m_d.engine->Engine()->GetTextureLoadCount() : 0; }
void RenderPipe_I::SetPresentArg(int32_t arg) { m_d.presentArg = arg; }
int32_t RenderPipe_I::GetPresentArg() { return m_d.presentArg; }
ResultCode RenderPipe_I::MakeCurrent() { return m_d.engine ? m_d.engine->Engine()->MakeCurrent() : ENotOpen; }

ResultCode RenderPipe_I::Present(bool skipPresent) {
  if (!m_d.engine) return ENotOpen;
  RenderEngine* e = m_d.engine->Engine();
  e->SetStatisticsMode(m_d.presentArg);
  ResultCode r = e->SwapBuffers(skipPresent);
  if (m_swapRateLimit > 0.0f) {
    // A limit below one frame a second is taken as one a second: a rate near zero would ask for a
    // wait of ages, more milliseconds than a sleep can be told.
    const double target = std::min(1000.0 / double(m_swapRateLimit), kMaxPresentWaitMs);
    const double ticksPerMs = double(QueryPerformanceFrequency()) / 1000.0;
    auto remaining = [&] { return target - double(g_timing.now() - m_d.lastPresent) / ticksPerMs; };
    double left = std::min(remaining(), target);  // a clock that stepped back asks no more than a frame
    if (left >= 2.0) g_timing.sleep(int32_t(left - 1.0));
    // Yields are bounded by the target itself: each one lets time pass (a clock that stepped back
    // ends them at once).
    for (double due = remaining(); due >= 0.03125 && due <= target;) {
      g_timing.sleep(0);
      due = remaining();
    }
  }
  m_d.lastPresent = g_timing.now();
  return r;
}

RenderStatistics_I* RenderPipe_I::GetStatistics() {
  return m_d.engine ? RenderStatistics_I::Capture(m_d.engine.Get()) : nullptr;
}

void RenderPipe_I::GetSystemReport(String* out) {
  if (m_d.engine)
    m_d.engine->Engine()->GetSystemReport(out);
  else if (out)
    out->Clear();
}

int32_t RenderPipe_I::Reserved14(int32_t) { return 0; }
int32_t RenderPipe_I::Reserved17() { return -1; }

int32_t RenderPipe_I::RequestScreenShot(bool skipPresent, bool withDepth) {
  return m_d.engine ? m_d.engine->Engine()->RequestScreenShot(skipPresent, withDepth) : -1;
}
Image_I* RenderPipe_I::GetScreenShotImage() {
  return m_d.engine ? m_d.engine->Engine()->GetScreenShotImage() : nullptr;
}
Image_I* RenderPipe_I::GetScreenShotDepthImage() {
  return m_d.engine ? m_d.engine->Engine()->GetScreenShotDepthImage() : nullptr;
}
Image_I* RenderPipe_I::GetColorBufferImage() {
  return m_d.engine ? m_d.engine->Engine()->GetColorBufferImage() : nullptr;
}
void RenderPipe_I::ReadColorBuffer(Array<uint8_t>* out) {
  if (!out) return;
  if (m_d.engine)
    m_d.engine->Engine()->ReadColorBuffer(out);
  else
    *out = Array<uint8_t>();
}

void RenderPipe_I::SetSecondPath(const String& path) { m_d.secondPath = path; }
String RenderPipe_I::GetSecondPath() { return m_d.secondPath; }

uint32_t RenderPipe_I::PopChar() {
  if (m_d.chars.Count() <= 1) m_d.charsDropped = false;
  return m_d.chars.Pop();
}
void RenderPipe_I::ClearChars() {
  m_d.chars.Clear();
  m_d.charsDropped = false;
}
uint8_t RenderPipe_I::IsCloseRequested() { return m_d.closeRequested ? 1 : 0; }
bool RenderPipe_I::IsReady() { return m_d.engine && !m_d.windowGone; }

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<RenderPipe_I>();

}  // namespace PM
