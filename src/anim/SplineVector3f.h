// A curve of three-component keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineVector3f_I : public SplineBase_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SplineVector3f;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineVector3f_I>("SplineVector3f"); }
  static ScriptObject* Create() { return NewEngineObject<SplineVector3f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineVector3f_I>(extraBytes); }

  Array<Vector3f> m_keyValue;
  Array<Vector3f> m_keyTangentIn;
  Array<Vector3f> m_keyTangentOut;
};

}  // namespace PM
