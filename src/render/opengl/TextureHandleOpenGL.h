// The OpenGL engine's record of one texture: the GL texture object, the bytes charged for it and the frame
// it was last bound in, on the engine's live list until Unload and deleted by the next UnloadTextures.
#pragma once

#include <cstdint>

#include "engine/TextureHandle.h"

namespace PM {

class RenderEngineOpenGL_D;

class TextureHandleOpenGL final : public TextureHandle {
 public:
  explicit TextureHandleOpenGL(RenderEngineOpenGL_D* owner) : m_owner(owner) {}
  ~TextureHandleOpenGL() override;

  void Unload() override;

  RenderEngineOpenGL_D* Owner() const { return m_owner; }
  uint32_t Name() const { return m_name; }
  int32_t ByteCount() const { return m_byteCount; }

  int32_t m_listIndex = -1;  // position in the owner's live list

 private:
  friend class RenderEngineOpenGL_D;

  RenderEngineOpenGL_D* m_owner;
  uint32_t m_name = 0;        // the GL texture; 0 for none
  int32_t m_byteCount = 0;    // charged to the engine's texture memory
  int32_t m_frameStamp = -1;  // the engine frame it was last bound in
};

}  // namespace PM
