// FGData: a generated face's parameter vectors and model keys, stored for the face-generation
// module and scripts.
#pragma once

#include "classes/Object.h"

namespace PM {

class FGData_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::FGData;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<FGData_I>("FGData"); }
  static ScriptObject* Create() { return NewEngineObject<FGData_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<FGData_I>(extraBytes); }

  uint32_t m_egmKey = 0;
  uint32_t m_egtKey = 0;
  Array<float> m_gs;
  Array<float> m_ga;
  Array<float> m_ts;
};

}  // namespace PM
