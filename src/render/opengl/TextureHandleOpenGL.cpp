#include "render/opengl/TextureHandleOpenGL.h"

#include "core/Log.h"
#include "render/EngineLists.h"
#include "render/VideoFrameState.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

TextureHandleOpenGL::~TextureHandleOpenGL() {
  if (m_owner || m_name) Log(LogOutPipe(), kLevelError, "TextureHandleOpenGL missing Unload.");
  // The decoder's thread reads this handle: it stops before the handle's fields go.
  if (VideoFrameState* state = VideoFrameState::Of(this)) state->CloseVideo();
}

void TextureHandleOpenGL::Unload() {
  RenderEngineOpenGL_D* owner = m_owner;
  if (!owner) return;
  m_owner = nullptr;
  if (!MoveToUnloaded(owner->m_liveTextures, owner->m_unloadedTextures, this))
    Log(LogOutPipe(), kLevelFatal, "TextureHandleOpenGL::Unload - corruption.");
}

}  // namespace PM
