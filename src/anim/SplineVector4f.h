// A curve of four-component keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineVector4f_I : public SplineBase_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SplineVector4f;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineVector4f_I>("SplineVector4f"); }
  static ScriptObject* Create() { return NewEngineObject<SplineVector4f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineVector4f_I>(extraBytes); }

  Array<Vector4f> m_keyValue;
  Array<Vector4f> m_keyTangentIn;
  Array<Vector4f> m_keyTangentOut;
};

}  // namespace PM
