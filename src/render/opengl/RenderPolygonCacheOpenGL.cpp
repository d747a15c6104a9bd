#include "render/opengl/RenderPolygonCacheOpenGL.h"

#include "core/LogMsg.h"
#include "render/opengl/RenderEngineOpenGL.h"

namespace PM {

RenderPolygonCacheOpenGL::RenderPolygonCacheOpenGL(RenderEngineOpenGL_D* owner)
    : EnginePolygonCache(owner, "PolygonCacheOpenGL") {}

RenderPolygonCacheOpenGL::~RenderPolygonCacheOpenGL() {
  if (m_owner)
    LogMsgText(EFail, "RenderPolygonCacheOpenGL::~RenderPolygonCacheOpenGL", "Unload", 2,
               "Memory Leak Detected: Unload() was not called for this object.");
}

}  // namespace PM
