// The Direct3D 8 engine's record of one texture: the device texture, the bytes of its mip chain and the
// frame it was last bound in; on the engine's live list until Unload, released by the next UnloadTextures.
#pragma once

#include <cstdint>

#include "engine/TextureHandle.h"
#include "platform/d3d8/D3D8.h"

namespace PM {

class RenderEngineDirectX8_D;

class TextureHandleDirectX8 final : public TextureHandle {
 public:
  explicit TextureHandleDirectX8(RenderEngineDirectX8_D* engine) : m_engine(engine) {}
  ~TextureHandleDirectX8() override;

  void Unload() override;

  RenderEngineDirectX8_D* Owner() const { return m_engine; }
  IDirect3DTexture8* Texture() const { return m_texture; }
  uint32_t ByteCount() const { return m_bytes; }

  int32_t m_listIndex = -1;  // position in the engine's live list

 private:
  friend class RenderEngineDirectX8_D;

  RenderEngineDirectX8_D* m_engine;  // null once unloaded
  IDirect3DTexture8* m_texture = nullptr;
  uint32_t m_bytes = 0;                // of all mip levels, charged to the engine's texture memory
  uint32_t m_lastFrame = 0xFFFFFFFFu;  // the engine frame of the last bind
};

}  // namespace PM
