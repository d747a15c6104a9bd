// The OpenGL engine's frame: clearing, presenting with the pending screenshot and the statistics overlay,
// and reading colour and depth back.
#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "engine/FramePrimitiveCount.h"
#include "engine/FrameStatisticsUpdate.h"
#include "platform/FpuGuard.h"
#include "platform/PerformanceCounter.h"
#include "platform/PlatformWindow.h"
#include "render/RenderChannel.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

ResultCode RenderEngineOpenGL_D::ClearBuffer(const ChannelClearInfo* clear) {
  BeginFrameCounts();
  m_perFrameWord = 0;
  if (!m_context || !clear) return ENotActive;
  const OpenGLAPI& gl = GL();
  const bool color = clear->ColorClearEnable, alpha = clear->AlphaClearEnable;
  gl.glClearColor(clear->ColorClearValue[0], clear->ColorClearValue[1], clear->ColorClearValue[2],
                  clear->AlphaClearValue);
  gl.glColorMask(color, color, color, alpha);
  const bool depth = m_format.DepthBits > 0 && clear->DepthClearEnable;
  if (depth) gl.glClearDepth(clear->DepthClearValue);
  gl.glDepthMask(depth);
  const bool stencil = m_format.StencilBits > 0 && clear->StencilClearEnable;
  if (stencil) gl.glClearStencil(GLint(clear->StencilClearValue));
  gl.glStencilMask(stencil ? 1 : 0);
  if (color || alpha || clear->DepthClearEnable || clear->StencilClearEnable) {
    GLbitfield mask = 0;
    if (color || alpha) mask |= GL_COLOR_BUFFER_BIT;
    if (clear->StencilClearEnable) mask |= GL_STENCIL_BUFFER_BIT;
    if (clear->DepthClearEnable) mask |= GL_DEPTH_BUFFER_BIT;
    int32_t width = 0, height = 0;
    GetCachedClientSize(m_window, &width, &height);
    if (m_viewport[0] == 0 && m_viewport[1] == 0 && m_viewport[2] == width && m_viewport[3] == height) {
      gl.glClear(mask);
    } else {
      gl.glScissor(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
      gl.glEnable(GL_SCISSOR_TEST);
      gl.glClear(mask);
      gl.glDisable(GL_SCISSOR_TEST);
    }
  }
  gl.glDepthMask(m_format.DepthBits > 0);
  gl.glStencilMask(0);
  // A channel that keeps the colour below (an overlay) still draws its own, as on Direct3D 8.
  if (!color) gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, alpha);
  return SOK;
}

void RenderEngineOpenGL_D::ReadIntoImage(Ptr<Image_I>& image, int components, uint32_t format, uint32_t type) {
  if (!image) image = Image_I::New();
  const int width = std::max(0, m_viewport[2]), height = std::max(0, m_viewport[3]);
  image->Create(components, width, height, 0);
  if (image->GetFormat() == 0 || width == 0 || height == 0) return;
  const OpenGLAPI& gl = GL();
  gl.glReadBuffer(GL_BACK);
  gl.glPixelStoref(GL_PACK_ALIGNMENT, 1.0f);
  gl.glReadPixels(m_viewport[0], m_viewport[1], width, height, format, type, image->GetData());
}

ResultCode RenderEngineOpenGL_D::SwapBuffers(bool skipPresent) {
  if (!m_context) return ENotActive;
  const OpenGLAPI& gl = GL();
  if (m_screenShotPending) {
    if (m_screenShotSkipsPresent) skipPresent = true;
    const int c = ColorComponents();
    ReadIntoImage(m_screenShot, c, c == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE);
    if (m_screenShotWantsDepth) {
      gl.CheckError(gl.glGetError(), "pre ScreenShotDepth");
      ReadIntoImage(m_screenShotDepth, 2, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT);
      gl.CheckError(gl.glGetError(), "ScreenShotDepth");
    }
    m_screenShotPending = 0;
    m_screenShotWantsDepth = 0;
  }
  if (m_statistics.DisplayMode != 0) DrawStatisticsOverlay();
  gl.CheckError(gl.glGetError(), "pre SwapBuffers");
  if (!skipPresent) Glx::SwapBuffers(m_glx, m_display, m_window->window);
  gl.CheckError(gl.glGetError(), "SwapBuffers");
  if (m_statistics.DisplayMode != 0) {
    gl.glFinish();
    FpuGuard precision;  // the statistics need double precision whatever the frame ran at
    UpdateFrameStatistics(m_statistics, QueryPerformanceCounter(), QueryPerformanceFrequency());
  }
  return SOK;
}

void RenderEngineOpenGL_D::DrawSevenSegmentDigit(int digit, bool point) {
  // Each segment: its bit and its two end points, in the digit's 9 x 17 cell.
  static const struct {
    uint8_t bit;
    float x0, y0, x1, y1;
  } kSegments[] = {{0x40, 1.5f, 0.5f, 7.5f, 0.5f},  {0x10, 0.5f, 1.5f, 0.5f, 7.5f},  {0x20, 8.5f, 1.5f, 8.5f, 7.5f},
                   {0x08, 1.5f, 8.5f, 7.5f, 8.5f},  {0x02, 0.5f, 9.5f, 0.5f, 15.5f}, {0x04, 8.5f, 9.5f, 8.5f, 15.5f},
                   {0x01, 1.5f, 16.5f, 7.5f, 16.5f}};
  const OpenGLAPI& gl = GL();
  const uint8_t mask = kSevenSegmentDigits[std::clamp(digit, 0, 9)];
  auto shade = [&](bool lit) { lit ? gl.glColor4f(1, 1, 1, 1) : gl.glColor4f(0.25f, 0.25f, 0.25f, 1); };
  gl.glBegin(GL_LINES);
  for (const auto& s : kSegments) {
    shade(mask & s.bit);
    gl.glVertex2f(s.x0, s.y0);
    gl.glVertex2f(s.x1, s.y1);
  }
  shade(point);
  gl.glVertex2f(12.0f, 0.0f);
  gl.glVertex2f(12.0f, 2.0f);
  gl.glEnd();
  gl.glTranslatef(16.0f, 0.0f, 0.0f);
}

void RenderEngineOpenGL_D::DrawStatisticsOverlay() {
  const OpenGLAPI& gl = GL();
  BeginPass(PassMode::kReset);
  gl.glDisable(GL_DEPTH_TEST);
  const float width = float(m_viewport[2]), height = float(m_viewport[3]);
  Matrix4f projection;
  projection.SetIdentity();
  projection.m[0] = 2.0f / width;
  projection.m[5] = 2.0f / height;
  SetProjectionMatrix(&projection);
  Matrix4f view;
  view.SetIdentity();
  view.m[12] = 4.0f - width / 2;
  view.m[13] = 4.0f - height / 2;
  view.m[14] = 1.0f;
  LoadModelViewMatrix(&view);
  const FrameStatistics& s = m_statistics;
  const int count = std::clamp(s.SampleCount, 1, FrameStatistics::kSampleCount);
  const double mean = s.Values[FrameStatistics::kMeanFrameRate];
  if (s.DisplayMode & 2) {
    const float target =
        m_format.SwapInterval > 0 ? m_format.RefreshRate / float(m_format.SwapInterval) : m_format.RefreshRate;
    auto line = [&](float r, float g, float b, auto y) {
      gl.glColor4f(r, g, b, 1.0f);
      gl.glBegin(GL_LINE_STRIP);
      for (int i = 0; i < count; ++i) gl.glVertex2f(4.0f * float(i), y(i));
      gl.glEnd();
    };
    line(0.5f, 1.0f, 0.5f, [&](int) { return target; });
    line(1.0f, 0.5f, 0.5f, [&](int) { return float(mean); });
    // Oldest first: the ring index names the next sample to be written.
    auto sample = [&](int i) { return float(s.Samples[(s.RingIndex + i) % count]) / 100.0f; };
    line(1.0f, 1.0f, 1.0f, sample);
    line(0.0f, 0.0f, 0.0f, [&](int i) { return sample(i) - 1.0f; });
  }
  if (s.DisplayMode & 1) {
    view.SetIdentity();
    view.m[12] = 4.0f - width / 2;
    view.m[13] = height / 2 - 4.0f - 18.0f;
    view.m[14] = 1.0f;
    LoadModelViewMatrix(&view);
    const double clamped = std::isfinite(mean) ? std::clamp(mean, 0.0, 999.999) : 0.0;
    const int whole = int(clamped);
    const int fraction = int((clamped - whole) * 1000.0);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glEnable(GL_BLEND);
    gl.glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
    gl.glBegin(GL_QUADS);
    gl.glVertex2f(-5.5f, -3.5f);
    gl.glVertex2f(63.5f, -3.5f);
    gl.glVertex2f(63.5f, 21.5f);
    gl.glVertex2f(-5.5f, 21.5f);
    gl.glEnd();
    gl.glDisable(GL_BLEND);
    DrawSevenSegmentDigit(whole / 100 % 10, false);
    DrawSevenSegmentDigit(whole / 10 % 10, false);
    DrawSevenSegmentDigit(whole % 10, true);
    DrawSevenSegmentDigit(fraction / 100 % 10, false);
  }
  gl.glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

ResultCode RenderEngineOpenGL_D::Flush() {
  if (!m_context) return ENotActive;
  GL().glFlush();
  return SOK;
}

ResultCode RenderEngineOpenGL_D::Finish() {
  if (!m_context) return ENotActive;
  GL().glFinish();
  return SOK;
}

void RenderEngineOpenGL_D::LatchPrimitiveCount() { m_latchedPrimitives = g_FramePrimitiveCount; }

int32_t RenderEngineOpenGL_D::RequestScreenShot(bool skipPresent, bool withDepth) {
  m_screenShotSkipsPresent = skipPresent;
  m_screenShotPending = 1;
  if (withDepth) m_screenShotWantsDepth = 1;
  return 0;
}

Image_I* RenderEngineOpenGL_D::GetColorBufferImage() {
  if (!m_context) return nullptr;
  const int c = ColorComponents();
  ReadIntoImage(m_colorBufferImage, c, c == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE);
  return m_colorBufferImage.Get();
}

void RenderEngineOpenGL_D::ReadColorBuffer(Array<uint8_t>* out) {
  if (!out || !m_context) return;
  const int c = ColorComponents();
  const int width = std::max(0, m_viewport[2]), height = std::max(0, m_viewport[3]);
  const int64_t bytes = int64_t(c) * width * height;
  if (bytes > INT32_MAX) return;
  if (out->Count() != int(bytes)) *out = Array<uint8_t>(), out->SetCount(int(bytes));
  if (bytes == 0) return;
  const OpenGLAPI& gl = GL();
  gl.glReadBuffer(GL_BACK);
  gl.glPixelStoref(GL_PACK_ALIGNMENT, 1.0f);
  gl.glReadPixels(m_viewport[0], m_viewport[1], width, height, c == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                  out->Data());
}

float RenderEngineOpenGL_D::ReadDepth(int32_t x, int32_t y) {
  if (!m_context) return -1.0f;
  const OpenGLAPI& gl = GL();
  float depth = 0.0f;
  gl.glReadBuffer(GL_BACK);
  gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
  gl.glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  return depth;
}

}  // namespace PM
