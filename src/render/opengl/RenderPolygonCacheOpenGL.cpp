#include "render/opengl/RenderPolygonCacheOpenGL.h"

#include "core/Log.h"
#include "core/LogMsg.h"
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
  auto& live = owner->m_liveCaches;
  if (m_listIndex < 0 || m_listIndex >= live.Count() || live[m_listIndex].Get() != this) {
    Log(LogOutPipe(), kLevelFatal, "PolygonCacheOpenGL::Unload - corruption.");
    return;
  }
  // The unloaded list holds a reference before the live list gives its own up.
  owner->m_unloadedCaches.Append(Ptr<RenderPolygonCacheOpenGL>(this));
  const int last = live.Count() - 1;
  if (m_listIndex != last) {
    live[m_listIndex] = live[last];
    live[m_listIndex]->m_listIndex = m_listIndex;
  }
  m_listIndex = -1;
  live.SetCount(last);
}

}  // namespace PM
