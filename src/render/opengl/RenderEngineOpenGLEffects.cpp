// The OpenGL engine's channel effects: bloom, depth of field and a colour filter drawn as full-screen
// quads through GLSL programs over copies of the frame, and the switch to a floating-point render buffer.
#include <GL/glxtokens.h>
#include <X11/Xlib.h>

#include <algorithm>

#include "core/Log.h"
#include "core/LogMsg.h"
#include "platform/PlatformWindow.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

namespace {

// The blur passes draw into a fixed square whatever the window's size.
constexpr int32_t kBlurSide = 256;

}  // namespace

void RenderEngineOpenGL_D::CopyFrame(uint32_t& texture, int32_t width, int32_t height, int32_t size,
                                     GLenum internalFormat, bool mipMaps, bool linear) {
  const OpenGLAPI& gl = GL();
  gl.CheckError(gl.glGetError(), "pre CopyFrameBuffer");
  if (texture != 0) {
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (w != size || h != size) {
      gl.glDeleteTextures(1, &texture);
      texture = 0;
    }
  }
  if (texture == 0) {
    gl.glGenTextures(1, &texture);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    const GLint minFilter = linear ? (mipMaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR) : GL_NEAREST;
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    gl.glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, mipMaps ? GL_TRUE : GL_FALSE);
    gl.glCopyTexImage2D(GL_TEXTURE_2D, 0, internalFormat, 0, 0, size, size, 0);
  }
  gl.glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
  gl.CheckError(gl.glGetError(), "CopyFrameBuffer");
}

void RenderEngineOpenGL_D::EffectQuad(float extentX, float extentY, bool twoUnits) {
  const OpenGLAPI& gl = GL();
  static const float kCorners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  ForgetHeldColor();
  gl.glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  gl.glBegin(GL_QUADS);
  for (const auto& c : kCorners) {
    if (twoUnits) {
      m_ext.glMultiTexCoord2f(GL_TEXTURE0_ARB, c[0] * extentX, c[1] * extentY);
      m_ext.glMultiTexCoord2f(GL_TEXTURE1_ARB, c[0], c[1]);
    } else {
      gl.glTexCoord2f(c[0] * extentX, c[1] * extentY);
    }
    gl.glVertex3f(c[0] * 2.0f - 1.0f, c[1] * 2.0f - 1.0f, -1.0f);
  }
  gl.glEnd();
}

// The common start of every effect: identity matrices, the copy size and extent, culling and blending off.
void RenderEngineOpenGL_D::BeginEffect(const char* label, int32_t& width, int32_t& height) {
  const OpenGLAPI& gl = GL();
  gl.CheckError(gl.glGetError(), label);
  SetProjectionMatrix(&kIdentityMatrix4f);
  SetModelViewMatrix(&kIdentityMatrix4f);
  width = height = 0;
  if (m_window) GetCachedClientSize(m_window, &width, &height);
  GLint maxSize = 256;
  gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  const int32_t side =
      std::max(std::min(NextPowerOfTwo(width), int32_t(maxSize)), std::min(NextPowerOfTwo(height), int32_t(maxSize)));
  m_effectSize = side;
  m_effectExtent[0] = float(width) / float(side);
  m_effectExtent[1] = float(height) / float(side);
  gl.glDisable(GL_CULL_FACE);
  gl.glDisable(GL_BLEND);
}

uint32_t RenderEngineOpenGL_D::EffectProgram(uint32_t& program, const String& directory, const char* name) {
  if (program == 0) program = QuickCompileShaderARB(directory, name, name);
  return program;
}

void RenderEngineOpenGL_D::Bloom(const ChannelFXInfo& info, const String& directory) {
  const OpenGLAPI& gl = GL();
  int32_t width = 0, height = 0;
  BeginEffect("pre ChannelFX Bloom", width, height);
  const uint32_t blur = EffectProgram(m_effects.bloomBlur, directory, "Shaders/Bloom/blur");
  const uint32_t combine = EffectProgram(m_effects.bloomCombine, directory, "Shaders/Bloom/bloom");
  // Without its programs the fixed-function passes would darken the frame: it is left as it was.
  if (!Linked(blur) || !Linked(combine)) return;
  gl.glViewport(0, 0, kBlurSide, kBlurSide);
  CopyFrame(m_effects.frameColor, width, height, m_effectSize, GL_RGB8, true, true);
  gl.glEnable(GL_TEXTURE_2D);
  UseProgram(blur);
  SetUniform(blur, "colorTex", 0);
  gl.glDisable(GL_BLEND);
  SetUniform(blur, "contrast", 1);
  // The first pass reads the copied region of the frame, later ones the whole blur texture.
  for (int32_t i = 0; i < info.BloomBlurCount; ++i) {
    EffectQuad(i == 0 ? m_effectExtent[0] : 1.0f, i == 0 ? m_effectExtent[1] : 1.0f, false);
    SetUniform(blur, "contrast", 0);
    CopyFrame(m_effects.blur, kBlurSide, kBlurSide, kBlurSide, GL_RGB8, true, true);
  }
  gl.glViewport(0, 0, width, height);
  UseProgram(combine);
  SetUniform(combine, "colorTex", 0);
  SetUniform(combine, "blurTex", 1);
  m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
  gl.glBindTexture(GL_TEXTURE_2D, m_effects.blur);
  gl.glEnable(GL_TEXTURE_2D);
  m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
  gl.glBindTexture(GL_TEXTURE_2D, m_effects.frameColor);
  EffectQuad(m_effectExtent[0], m_effectExtent[1], true);
  gl.CheckError(gl.glGetError(), "ChannelFX Bloom");
}

void RenderEngineOpenGL_D::ChannelFX(const ChannelFXInfo* info, const String& basePath) {
  if (!info || !m_context || !m_ext.Has(kGL_ARB_shader_objects) || !m_ext.Has(kGL_SGIS_generate_mipmap) ||
      !m_ext.Has(kGL_ARB_multitexture) || !m_ext.glUseProgramObjectARB || !m_ext.glActiveTextureARB ||
      !m_ext.glMultiTexCoord2f)
    return;
  const OpenGLAPI& gl = GL();
  // Every effect leaves texturing and programs off, so the next one (and the next frame) starts clean.
  auto end = [&](const char* label) {
    m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
    gl.glDisable(GL_TEXTURE_2D);
    m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
    gl.glDisable(GL_TEXTURE_2D);
    m_ext.glUseProgramObjectARB(0);
    gl.CheckError(gl.glGetError(), label);
  };
  int32_t width = 0, height = 0;
  if (info->EnableBloom) {
    Bloom(*info, basePath);
    end("ChannelFX Bloom");
  }
  // An effect whose program did not build leaves the frame as it was.
  if (info->EnableDOF && m_ext.Has(kGL_ARB_depth_texture)) {
    BeginEffect("pre ChannelFX DOF_SP", width, height);
    const uint32_t program = EffectProgram(m_effects.depthOfField, basePath, "Shaders/DOF/blur_sp");
    if (Linked(program)) {
      m_ext.glActiveTextureARB(GL_TEXTURE1_ARB);
      CopyFrame(m_effects.frameDepth, width, height, m_effectSize, GL_DEPTH_COMPONENT24, false, false);
      gl.glEnable(GL_TEXTURE_2D);
      m_ext.glActiveTextureARB(GL_TEXTURE0_ARB);
      CopyFrame(m_effects.frameColor, width, height, m_effectSize, GL_RGB8, true, true);
      gl.glEnable(GL_TEXTURE_2D);
      UseProgram(program);
      SetUniform(program, "colorTex", 0);
      SetUniform(program, "depthTex", 1);
      EffectQuad(m_effectExtent[0], m_effectExtent[1], false);
    }
    end("ChannelFX DOF_SP");
  }
  if (info->EnableColorFilter) {
    BeginEffect("pre ChannelFX COLORFILTER", width, height);
    const uint32_t program = EffectProgram(m_effects.colorFilter, basePath, "Shaders/FX/fx");
    if (Linked(program)) {
      CopyFrame(m_effects.frameColor, width, height, m_effectSize, GL_RGB8, true, true);
      gl.glEnable(GL_TEXTURE_2D);
      UseProgram(program);
      SetUniform(program, "colorTex", 0);
      SetUniform(program, "filterMode", info->ColorFilterMode);
      EffectQuad(m_effectExtent[0], m_effectExtent[1], false);
    }
    end("ChannelFX COLORFILTER");
  }
}

void RenderEngineOpenGL_D::ReleaseEffects() {
  if (!m_context) return;
  const OpenGLAPI& gl = GL();
  for (uint32_t* t : {&m_effects.frameColor, &m_effects.frameDepth, &m_effects.blur}) {
    if (*t) gl.glDeleteTextures(1, t);
  }
  for (uint32_t* p : {&m_effects.bloomBlur, &m_effects.bloomCombine, &m_effects.depthOfField, &m_effects.colorFilter}) {
    if (*p && m_ext.glDeleteObjectARB) m_ext.glDeleteObjectARB(*p);
  }
  m_effects = EffectObjects();
}

ResultCode RenderEngineOpenGL_D::I6_CreateRenderBufferARB(OpenGLDeviceContext* dc, const RenderFormatInfo* format) {
  if (!dc || !format || format->ColorBits < 48) return 0;
  const char* failed = "RenderEngineOpenGL_D: CreateRenderBufferARB failed.";
  if (!dc->glx.glXChooseFBConfig || !dc->display) {
    Log(LogOutPipe(), kLevelError, failed);
    return 0;
  }
  const int attributes[] = {GLX_X_RENDERABLE,
                            True,
                            GLX_DRAWABLE_TYPE,
                            GLX_WINDOW_BIT,
                            GLX_RENDER_TYPE,
                            GLX_RGBA_FLOAT_BIT_ARB,
                            GLX_DOUBLEBUFFER,
                            format->BufferBackColorCount > 0 ? True : False,
                            GLX_STEREO,
                            False,
                            GLX_BUFFER_SIZE,
                            format->ColorBits,
                            GLX_DEPTH_SIZE,
                            format->DepthBits,
                            GLX_STENCIL_SIZE,
                            format->StencilBits,
                            GLX_AUX_BUFFERS,
                            0,
                            None};
  int count = 0;
  GLXFBConfig* configs = dc->glx.glXChooseFBConfig(dc->display, dc->screen, attributes, &count);
  if (!configs || count <= 0) {
    Log(LogOutPipe(), kLevelError, "RenderEngineOpenGL_D: CreateRenderBufferARB retured 0 formats.");
    if (configs) XFree(configs);
    return 0;
  }
  const GLXFBConfig chosen = configs[0];
  XFree(configs);
  if (m_context) {
    Glx::MakeCurrent(m_glx, m_display, 0, nullptr);
    Glx::DestroyContext(m_glx, m_display, m_context);
    m_context = nullptr;
  }
  // A window's visual is fixed when it is made: the float format takes effect through the new context.
  m_config = chosen;
  return CreateContext(dc);
}

}  // namespace PM
