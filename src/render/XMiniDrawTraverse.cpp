#include "render/XMiniDrawTraverse.h"

#include <algorithm>

#include "render/RenderShader.h"

namespace PM {

void XMiniDrawTraverse::SetUp(RenderEngine_I* engineHolder, uint32_t drawMask, const Frustum& cullFrustum,
                              bool frustumCulling, ScriptObject* pipe, uint32_t frameStamp, uint32_t passFlags) {
  m_engineHolder = engineHolder;
  m_engine = engineHolder ? engineHolder->Engine() : nullptr;
  m_drawMask = drawMask;
  m_cullFrustum = cullFrustum;
  m_frustumCulling = frustumCulling;
  m_pipe = pipe ? pipe : NilScriptObject();
  m_frameStamp = frameStamp;
  m_passFlags = passFlags;
  m_current = DrawObjectInfo();
}

int32_t XMiniDrawTraverse::LayerOf(const ScriptObject* shader) {
  if (!shader || !shader->IsA(RenderShader_I::kClassId)) return kDefaultLayer;
  // A layer outside the 64 would lose its geometry; the nearest layer draws it instead.
  return std::clamp(static_cast<const RenderShader_I*>(shader)->m_multiDrawLayer, 0, kLayerCount - 1);
}

void XMiniDrawTraverse::ResetDrawContext() {
  m_engineHolder.Clear();
  m_engine = nullptr;
  m_current = DrawObjectInfo();
  m_drawMask = 0;
  m_passMode = 0;
  m_passFlags = 0;
  m_frustumCulling = false;
  m_pipe = NilScriptObject();
  m_frameStamp = 0;
  m_lights.SetCount(0);
  m_ambientLights.SetCount(0);
  m_fogs.SetCount(0);
  for (int i = 0; i < kLayerCount; ++i) {
    m_layers[i].SetCount(0);
    m_sortArrays[i].SetCount(0);
  }
  m_guiWindows.SetCount(0);
  m_walk.SetCount(0);
  m_savedMatrices.SetCount(0);
}

}  // namespace PM
