// FGData: a generated face's parameter vectors and model keys, stored for the face-generation
// module and scripts.
#pragma once

#include "classes/Object.h"

namespace PM {

class FGData_I : public EngineClass<FGData_I, Object_I, ClassId::FGData, "FGData"> {
 public:
  static void Define();
  uint32_t m_egmKey = 0;
  uint32_t m_egtKey = 0;
  Array<float> m_gs;
  Array<float> m_ga;
  Array<float> m_ts;
};

}  // namespace PM
