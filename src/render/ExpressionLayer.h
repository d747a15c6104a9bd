// Base of the image layers composed into texture images.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ExpressionLayer_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ExpressionLayer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ExpressionLayer_I>("ExpressionLayer"); }
};

}  // namespace PM
