// XMiniDrawTraverse: setting up and resetting the draw context, culling and collecting the visible
// nodes, and handing the collected lights and fog to the engine.
#include "render/XMiniDrawTraverse.h"

#include <algorithm>

#include "geometry/Geometry.h"
#include "geometry/PolygonGeometry.h"
#include "render/GUIWindow.h"
#include "render/RenderShader.h"
#include "scene/BaseTransform.h"
#include "scene/Fog.h"
#include "scene/LODGroup.h"
#include "scene/Light.h"
#include "scene/NodeWalk.h"
#include "scene/TreeDepth.h"

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
  m_passMode = PassMode::kPlain;
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

void XMiniDrawTraverse::CullAndCollect(ScriptObject* node) {
  if (!node) return;
  // Iterative: a deep tree costs walk frames on the heap, never the call stack.
  Visit(node);
  while (int n = m_walk.Count()) {
    WalkFrame& top = m_walk[n - 1];
    if (top.next < top.branch->ChildCount()) {
      ScriptObject* child = top.branch->m_children[top.next++].Get();
      // The update stopped at the same level, so what lies deeper has no matrices of this frame.
      if (n >= kMaxTreeDepth) {
        ReportTreeTooDeep("CullAndCollect", top.branch, "not drawn.");
        continue;
      }
      Visit(child);  // may grow m_walk: `top` is not used past this point
      continue;
    }
    if (top.restoresMatrix) {
      m_current.modelView = m_savedMatrices.Last();
      m_savedMatrices.SetCount(m_savedMatrices.Count() - 1);
    }
    m_walk.SetCount(n - 1);
  }
}

void XMiniDrawTraverse::Visit(ScriptObject* node) {
  if ((VisibilityOf(node) & m_drawMask) == 0) return;
  for (;;) {
    if (node->IsA(TBaseTransform_I::kClassId)) {
      // Composed with the view by the update stage already.
      auto* t = static_cast<TBaseTransform_I*>(node);
      m_savedMatrices.Append(m_current.modelView);
      m_current.modelView = t->m_modelViewMatrix;
      m_walk.Append({t, 0, true});
      return;
    }
    if (node->IsA(TLODGroup_I::kClassId)) {
      auto* g = static_cast<TLODGroup_I*>(node);
      const float* m = m_current.modelView.m;
      int32_t i = SelectLODLevel(g, m[12] * m[12] + m[13] * m[13] + m[14] * m[14]);
      if (i < 0 || i >= g->ChildCount()) return;
      node = g->m_children[i].Get();
      if ((VisibilityOf(node) & m_drawMask) == 0) return;
      continue;  // the chosen level is classified in the group's place
    }
    if (node->IsA(TBranch_I::kClassId)) {
      m_walk.Append({static_cast<TBranch_I*>(node), 0, false});
      return;
    }
    if (node->IsA(TGeometry_I::kClassId)) {
      Collect(static_cast<TGeometry_I*>(node), node->IsA(TPolygonGeometry_I::kClassId));
      return;
    }
    if (node->IsA(TLight_I::kClassId)) {
      const SLight_I* s = SNodeOf<SLight_I>(static_cast<TLight_I*>(node));
      const bool ambient = s && s->m_type == SLight_I::kTypeAmbient;
      (ambient ? m_ambientLights : m_lights).Append({Obj<ScriptObject>(node), m_current.modelView});
      return;
    }
    if (node->IsA(TFog_I::kClassId)) {
      m_fogs.Append({Obj<ScriptObject>(node), m_current.modelView});
      return;
    }
    if (node->IsA(ClassId::TWindow)) m_guiWindows.Append(Obj<ScriptObject>(node));  // drawn by the GUI pass
    return;
  }
}

void XMiniDrawTraverse::Collect(TGeometry_I* geometry, bool frustumTested) {
  ScriptObject* shader = geometry->m_shader.Get();
  bool hasShader = shader->IsA(RenderShader_I::kClassId);
  uint32_t mask = hasShader ? static_cast<RenderShader_I*>(shader)->m_visibility : 0xFFFFFFFFu;
  if ((mask & m_drawMask) == 0) return;
  if (frustumTested && m_frustumCulling) {
    m_scratchSphere.SetTransformed(geometry->m_boundingSphere, m_current.modelView);
    if (m_cullFrustum.CullFrustum(m_scratchSphere) != 0) return;
  }
  m_current.shader = hasShader ? shader : NilScriptObject();
  m_current.node = geometry;
  m_layers[LayerOf(m_current.shader)].Append(m_current);
}

void XMiniDrawTraverse::SetLightsAndFog() {
  if (!m_engine) return;
  Vector3f ambient{0.0f, 0.0f, 0.0f};
  for (const XMiniLightInfo& r : m_ambientLights) {
    if (const SLight_I* s = SNodeOf<SLight_I>(static_cast<const TNode_I*>(r.node.Get()))) ambient += s->m_color;
  }
  m_engine->SetAmbientLight(&ambient);
  // Lights past the engine's eight still count: the engine refuses and clamps them itself.
  for (int32_t i = 0; i < m_lights.Count(); ++i) m_engine->SetLight(i, &m_lights[i].modelView, m_lights[i].node.Get());
  m_engine->SetLightingEnable(m_lights.Count());
  for (const XMiniFogInfo& r : m_fogs) m_engine->SetFog(&r.modelView, r.node.Get());
  if (m_fogs.IsEmpty()) m_engine->SetFog(&kIdentityMatrix4f, NilScriptObject());
}

}  // namespace PM
