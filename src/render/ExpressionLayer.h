// Base of the image layers composed into texture images.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class ExpressionLayer_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0B0;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ExpressionLayer_I>("ExpressionLayer"); }
};

}  // namespace PM
