#include "render/d3d8/TextureHandleDirectX8.h"

#include "core/Log.h"
#include "render/VideoFrameState.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

TextureHandleDirectX8::TextureHandleDirectX8(RenderEngineDirectX8_D* engine)
    : EngineTextureHandle(engine, "TextureHandleDirectX8") {}

TextureHandleDirectX8::~TextureHandleDirectX8() {
  if (m_owner || m_texture) Log(LogOutPipe(), kLevelError, "TextureHandleDirectX8 missing Unload.");
  // The texture holds its device: kept, both would outlive everything.
  if (m_texture) m_texture->Release();
  // The decoder's thread reads this handle: it stops before the handle's fields go.
  if (VideoFrameState* state = VideoFrameState::Of(this)) state->CloseVideo();
}

}  // namespace PM
