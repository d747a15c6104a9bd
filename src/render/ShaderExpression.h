// Base of the surface expressions a render shader names.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ShaderExpression_I
    : public EngineClass<ShaderExpression_I, Object_I, ClassId::ShaderExpression, "ShaderExpression"> {
 public:
  static void Define();
};

}  // namespace PM
