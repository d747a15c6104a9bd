#include "render/XMiniDrawTraverse.h"
#include "scene/Light.h"

namespace PM {

void XMiniDrawTraverse::SetLightsAndFog() {
  if (!m_engine) return;
  Vector3f ambient{0.0f, 0.0f, 0.0f};
  for (const XMiniLightInfo& r : m_ambientLights) {
    const ScriptObject* s = static_cast<const TNode_I*>(r.node.Get())->m_sNode.Get();
    if (s->IsA(SLight_I::kClassId)) ambient.SetSum(ambient, static_cast<const SLight_I*>(s)->m_color);
  }
  m_engine->SetAmbientLight(&ambient);
  // Lights past the engine's eight still count: the engine refuses and clamps them itself.
  for (int32_t i = 0; i < m_lights.Count(); ++i) m_engine->SetLight(i, &m_lights[i].modelView, m_lights[i].node.Get());
  m_engine->SetLightingEnable(m_lights.Count());
  for (const XMiniFogInfo& r : m_fogs) m_engine->SetFog(&r.modelView, r.node.Get());
  if (m_fogs.IsEmpty()) m_engine->SetFog(&kIdentityMatrix4f, NilScriptObject());
}

}  // namespace PM
