// Base of the surface expressions a render shader names.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ShaderExpression_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ShaderExpression;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ShaderExpression_I>("ShaderExpression"); }
};

}  // namespace PM
