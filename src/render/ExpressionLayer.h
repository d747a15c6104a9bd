// Base of the image layers composed into texture images.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ExpressionLayer_I : public EngineClass<ExpressionLayer_I, Object_I, ClassId::ExpressionLayer, "ExpressionLayer"> {
 public:
  static void Define();
};

}  // namespace PM
