#include "render/EngineTextureHandle.h"

#include "core/Log.h"
#include "render/EngineLists.h"
#include "render/RenderEngineBase.h"

namespace PM {

void EngineTextureHandle::Unload() {
  RenderEngineBase* owner = m_owner;
  if (!owner) return;
  m_owner = nullptr;
  if (!MoveToUnloaded(owner->m_liveTextures, owner->m_unloadedTextures, this))
    Log(LogOutPipe(), kLevelFatal, m_kind, "::Unload - corruption.");
}

}  // namespace PM
