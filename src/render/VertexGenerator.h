// Base of the generators that produce vertices for geometry.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class VertexGenerator_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0FE;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexGenerator_I>("VertexGenerator"); }
};

}  // namespace PM
