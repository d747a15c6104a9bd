#include "render/opengl/TextureHandleOpenGL.h"

#include "core/Log.h"
#include "render/VideoFrameState.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

TextureHandleOpenGL::TextureHandleOpenGL(RenderEngineOpenGL_D* owner)
    : EngineTextureHandle(owner, "TextureHandleOpenGL") {}

TextureHandleOpenGL::~TextureHandleOpenGL() {
  if (m_owner || m_name) Log(LogOutPipe(), kLevelError, "TextureHandleOpenGL missing Unload.");
  // The decoder's thread reads this handle: it stops before the handle's fields go.
  if (VideoFrameState* state = VideoFrameState::Of(this)) state->CloseVideo();
}

}  // namespace PM
