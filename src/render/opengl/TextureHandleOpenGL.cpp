#include "render/opengl/TextureHandleOpenGL.h"

#include "core/Log.h"
#include "render/opengl/EngineLists.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

TextureHandleOpenGL::~TextureHandleOpenGL() {
  if (m_owner || m_name) Log(LogOutPipe(), kLevelError, "TextureHandleOpenGL missing Unload.");
}

void TextureHandleOpenGL::Unload() {
  RenderEngineOpenGL_D* owner = m_owner;
  if (!owner) return;
  m_owner = nullptr;
  if (!MoveToUnloaded(owner->m_liveTextures, owner->m_unloadedTextures, this))
    Log(LogOutPipe(), kLevelFatal, "TextureHandleOpenGL::Unload - corruption.");
}

}  // namespace PM
