// A curve of scalar keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineScalarf_I : public SplineBase_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SplineScalarf;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineScalarf_I>("SplineScalarf"); }
  static ScriptObject* Create() { return NewEngineObject<SplineScalarf_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineScalarf_I>(extraBytes); }

  Array<float> m_keyValue;
  Array<float> m_keyTangentIn;
  Array<float> m_keyTangentOut;
};

}  // namespace PM
