// The lighting colours of a surface.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class RenderMaterial_I : public EngineClass<RenderMaterial_I, Object_I, ClassId::RenderMaterial, "RenderMaterial"> {
 public:
  static void Define();
  Vector3f m_ambientColor = {0.0f, 0.0f, 0.0f};
  Vector3f m_diffuseColor = {0.8f, 0.8f, 0.8f};
  Vector3f m_specularColor = {0.0f, 0.0f, 0.0f};
  Vector3f m_emissionColor = {0.0f, 0.0f, 0.0f};
  float m_shininess = 20.0f;
  float m_transparency = 0.0f;
};

}  // namespace PM
