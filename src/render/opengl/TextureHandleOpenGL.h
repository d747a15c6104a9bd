// The OpenGL engine's record of one texture: the GL texture object beside what every engine's handle
// keeps; deleted by the next UnloadTextures after Unload.
#pragma once

#include <cstdint>

#include "render/EngineTextureHandle.h"

namespace PM {

class RenderEngineOpenGL_D;

class TextureHandleOpenGL final : public EngineTextureHandle {
 public:
  explicit TextureHandleOpenGL(RenderEngineOpenGL_D* owner);
  ~TextureHandleOpenGL() override;

  uint32_t Name() const { return m_name; }

 private:
  friend class RenderEngineOpenGL_D;

  uint32_t m_name = 0;  // the GL texture; 0 for none
};

}  // namespace PM
