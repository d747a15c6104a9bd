#include "geometry/Geometry.h"
#include "geometry/PolygonGeometry.h"
#include "render/GUIWindow.h"
#include "render/RenderShader.h"
#include "render/XMiniDrawTraverse.h"
#include "scene/BaseTransform.h"
#include "scene/Fog.h"
#include "scene/LODGroup.h"
#include "scene/Light.h"
#include "scene/TreeDepth.h"

namespace PM {

namespace {

constexpr uint32_t kLightTypeAmbient = 0x03FFF0AE;  // SLight.TypeEnum Ambient

// The node's S-node Visibility; anything that is not a node with an S-node has none.
uint32_t VisibilityOf(const ScriptObject* node) {
  if (!node->IsA(TNode_I::kClassId)) return 0;
  const ScriptObject* s = static_cast<const TNode_I*>(node)->m_sNode.Get();
  return s->IsA(SNode_I::kClassId) ? static_cast<const SNode_I*>(s)->m_visibility : 0;
}

// The group's S-node chooses the level; a group without one shows none.
int32_t SelectLODLevel(const TLODGroup_I& group, float d2) {
  ScriptObject* s = group.m_sNode.Get();
  return s->IsA(SLODGroup_I::kClassId) ? static_cast<SLODGroup_I*>(s)->SelectLevel(d2) : -1;
}

}  // namespace

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
      int32_t i = SelectLODLevel(*g, m[12] * m[12] + m[13] * m[13] + m[14] * m[14]);
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
      const ScriptObject* s = static_cast<TLight_I*>(node)->m_sNode.Get();
      bool ambient = s->IsA(SLight_I::kClassId) && static_cast<const SLight_I*>(s)->m_type == kLightTypeAmbient;
      (ambient ? m_ambientLights : m_lights).Append({Obj<ScriptObject>(node), m_current.modelView});
      return;
    }
    if (node->IsA(TFog_I::kClassId)) {
      m_fogs.Append({Obj<ScriptObject>(node), m_current.modelView});
      return;
    }
    if (node->IsA(kClassTWindow)) m_guiWindows.Append(Obj<ScriptObject>(node));  // drawn by the GUI pass
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

}  // namespace PM
