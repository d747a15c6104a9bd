// Base of the surface expressions a render shader names.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class ShaderExpression_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF083;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ShaderExpression_I>("ShaderExpression"); }
};

}  // namespace PM
