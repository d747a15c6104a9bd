// The OpenGL engine's video textures: the decoder is started when the texture's file is a video, and each
// time the texture is bound the latest decoded frame goes into the lower left of one power-of-two texture.
#include <vector>

#include "render/TexturePreload.h"
#include "render/VideoFrameState.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "render/opengl/TextureHandleOpenGL.h"

namespace PM {

namespace {

int32_t PowerOfTwoAtLeast(int32_t v) {
  int32_t p = 1;
  while (p < v && p < (1 << 30)) p <<= 1;
  return p;
}

}  // namespace

bool RenderEngineOpenGL_D::StartVideo(TextureHandleOpenGL* h, const String& fileName) {
  if (!IsVideoName(fileName.View())) return false;
  if (!VideoFrameState::Of(h)) VideoFrameState::Attach(h, fileName);
  return true;
}

void RenderEngineOpenGL_D::UploadVideoFrame(Texture_I* t, TextureHandleOpenGL* h) {
  VideoFrameState* state = VideoFrameState::Of(h);
  state->Video()->Update();
  const OpenGLAPI& gl = GL();
  if (!h->m_name) gl.glGenTextures(1, &h->m_name);
  state->TakeFrame([&](Image_I& frame) {
    const int32_t w = frame.GetWidth(), hgt = frame.GetHeight();
    gl.glBindTexture(GL_TEXTURE_2D, h->m_name);
    // Frames are four bytes a pixel: every row starts on a 4-byte boundary.
    gl.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const int32_t pw = PowerOfTwoAtLeast(w), ph = PowerOfTwoAtLeast(hgt);
    if (pw != state->m_allocatedWidth || ph != state->m_allocatedHeight) {
      // Zeroed, so the part beyond the frame samples black rather than whatever the driver had.
      const std::vector<uint8_t> zero(size_t(pw) * size_t(ph) * 4, 0);
      gl.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pw, ph, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
      state->m_allocatedWidth = pw;
      state->m_allocatedHeight = ph;
    }
    gl.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, hgt, GL_RGBA, GL_UNSIGNED_BYTE, frame.GetData());
    // No mip levels: a frame is replaced before a chain would pay off.
    ApplyTextureParameters(GL_TEXTURE_2D, t, false, false);
    if (m_ext.Has(kGL_ARB_texture_cube_map)) gl.glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    gl.glEnable(GL_TEXTURE_2D);
  });
}

void RenderEngineOpenGL_D::CloseVideo(TextureHandleOpenGL* h) {
  if (VideoFrameState* state = VideoFrameState::Of(h)) {
    state->CloseVideo();
    h->m_engineObject.Clear();
  }
}

}  // namespace PM
