#include "render/opengl/RenderPolygonCacheOpenGL.h"

#include "core/Log.h"
#include "core/LogMsg.h"
#include "render/EngineLists.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

RenderPolygonCacheOpenGL::~RenderPolygonCacheOpenGL() {
  if (m_owner)
    LogMsgText(EFail, "RenderPolygonCacheOpenGL::~RenderPolygonCacheOpenGL", "Unload", 2,
               "Memory Leak Detected: Unload() was not called for this object.");
}

void RenderPolygonCacheOpenGL::Unload() {
  RenderEngineOpenGL_D* owner = m_owner;
  if (!owner) return;
  m_owner = nullptr;
  if (!MoveToUnloaded(owner->m_liveCaches, owner->m_unloadedCaches, this))
    Log(LogOutPipe(), kLevelFatal, "PolygonCacheOpenGL::Unload - corruption.");
}

}  // namespace PM
