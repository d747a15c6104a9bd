// The Direct3D 8 engine's record of one texture: the device texture beside what every engine's handle
// keeps; released by the next UnloadTextures after Unload.
#pragma once

#include <cstdint>

#include "platform/d3d8/D3D8.h"
#include "render/EngineTextureHandle.h"

namespace PM {

class RenderEngineDirectX8_D;

class TextureHandleDirectX8 final : public EngineTextureHandle {
 public:
  explicit TextureHandleDirectX8(RenderEngineDirectX8_D* engine);
  ~TextureHandleDirectX8() override;

  IDirect3DTexture8* Texture() const { return m_texture; }

 private:
  friend class RenderEngineDirectX8_D;

  IDirect3DTexture8* m_texture = nullptr;
};

}  // namespace PM
