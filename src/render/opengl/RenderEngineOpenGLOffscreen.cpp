// The OpenGL engine on an off-screen window: an EGL pbuffer of the window's size takes the place of the
// window's GLX drawable. Frames draw into it and the read-backs read its (only, back) buffer; presenting
// has nothing to show, and the GLX swap on no display does nothing.
#include <algorithm>
#include <string>

#include "core/Log.h"
#include "core/LogMsg.h"
#include "platform/EglPbuffer.h"
#include "platform/PlatformWindow.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

ResultCode RenderEngineOpenGL_D::CreateOffscreenContext() {
  constexpr const char* kLocation = "RenderEngineOpenGL_D::InitializeRenderWindow";
  int32_t width = 0, height = 0;
  GetCachedClientSize(m_window, &width, &height);
  EglPbuffer::Format wanted;
  wanted.alpha = m_format.AlphaBits > 0 ? 8 : 0;
  // The window's GLX config holds 24 depth and 8 stencil bits at least: the same here, for the same picture.
  wanted.depth = std::max(24, m_format.DepthBits);
  wanted.stencil = std::max(8, m_format.StencilBits);
  auto pbuffer = std::make_unique<EglPbuffer>();
  std::string failure;
  if (!pbuffer->Create(width, height, wanted, &failure))
    return LogMsg(EFail, kLocation, "EglPbuffer", 2, "No off-screen OpenGL surface: #1.", failure.c_str());
  if (!pbuffer->MakeCurrent())
    return LogMsgText(EFail, kLocation, "eglMakeCurrent", 2, "The off-screen context cannot be made current.");
  const EglPbuffer::Chosen& b = pbuffer->Buffers();
  Log(LogOutPipe(), kLevelInfo, "OpenGL: off-screen pbuffer ", width, " x ", height, ": RGBA ", b.red, "/", b.green,
      "/", b.blue, "/", b.alpha, ", depth ", b.depth, ", stencil ", b.stencil, " (EGL, no display).");
  m_display = nullptr;
  m_config = nullptr;
  m_pixelFormatWidth = m_format.Width;
  m_pixelFormatHeight = m_format.Height;
  m_genericFormat = 0;
  m_context = reinterpret_cast<GLXContext>(pbuffer->Context());
  m_offscreen = std::move(pbuffer);
  LogContextStrings();
  return SOK;
}

}  // namespace PM
