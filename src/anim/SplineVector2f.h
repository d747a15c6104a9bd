// A curve of two-component keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineVector2f_I : public SplineBase_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SplineVector2f;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineVector2f_I>("SplineVector2f"); }
  static ScriptObject* Create() { return NewEngineObject<SplineVector2f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineVector2f_I>(extraBytes); }

  Array<Vector2f> m_keyValue;
  Array<Vector2f> m_keyTangentIn;
  Array<Vector2f> m_keyTangentOut;
};

}  // namespace PM
