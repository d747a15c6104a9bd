// A curve of rotation keys.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineQuaternionf_I : public SplineBase_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SplineQuaternionf;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineQuaternionf_I>("SplineQuaternionf"); }
  static ScriptObject* Create() { return NewEngineObject<SplineQuaternionf_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineQuaternionf_I>(extraBytes); }
};

}  // namespace PM
