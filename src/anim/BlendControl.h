// One blend weight shared by the inputs of pose blends.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class BlendControl_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::BlendControl;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<BlendControl_I>("BlendControl"); }
  static ScriptObject* Create() { return NewEngineObject<BlendControl_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<BlendControl_I>(extraBytes); }

  float m_weight = 0.0f;
  int32_t m_staticBlend = 0;
};

}  // namespace PM
