// An ordered list of surface expressions drawn one over the other.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class ShaderLayer_I : public EngineClass<ShaderLayer_I, ShaderExpression_I, ClassId::ShaderLayer, "ShaderLayer"> {
 public:
  static void Define();
  Array<Obj<ShaderExpression_I>> m_layer;
};

}  // namespace PM
