// A curve of rotation keys.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineQuaternionf_I
    : public EngineClass<SplineQuaternionf_I, SplineBase_I, ClassId::SplineQuaternionf, "SplineQuaternionf"> {
 public:
  static void Define();
};

}  // namespace PM
