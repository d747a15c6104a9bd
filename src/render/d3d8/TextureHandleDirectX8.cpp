#include "render/d3d8/TextureHandleDirectX8.h"

#include "core/Log.h"
#include "render/EngineLists.h"
#include "render/VideoFrameState.h"
#include "render/d3d8/RenderEngineDirectX8.h"

namespace PM {

TextureHandleDirectX8::~TextureHandleDirectX8() {
  if (m_engine || m_texture) Log(LogOutPipe(), kLevelError, "TextureHandleDirectX8 missing Unload.");
  // The texture holds its device: kept, both would outlive everything.
  if (m_texture) m_texture->Release();
  // The decoder's thread reads this handle: it stops before the handle's fields go.
  if (VideoFrameState* state = VideoFrameState::Of(this)) state->CloseVideo();
}

void TextureHandleDirectX8::Unload() {
  RenderEngineDirectX8_D* engine = m_engine;
  if (!engine) return;
  m_engine = nullptr;
  if (!MoveToUnloaded(engine->m_liveTextures, engine->m_releaseTextures, this))
    Log(LogOutPipe(), kLevelFatal, "TextureHandleDirectX8::Unload - corruption.");
}

}  // namespace PM
