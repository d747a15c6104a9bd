// The lighting colours of a surface.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class RenderMaterial_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::RenderMaterial;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<RenderMaterial_I>("RenderMaterial"); }
  static ScriptObject* Create() { return NewEngineObject<RenderMaterial_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<RenderMaterial_I>(extraBytes); }

  Vector3f m_ambientColor = {0.0f, 0.0f, 0.0f};
  Vector3f m_diffuseColor = {0.8f, 0.8f, 0.8f};
  Vector3f m_specularColor = {0.0f, 0.0f, 0.0f};
  Vector3f m_emissionColor = {0.0f, 0.0f, 0.0f};
  float m_shininess = 20.0f;
  float m_transparency = 0.0f;
};

}  // namespace PM
