// Base of the generators that produce vertices for geometry.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class VertexGenerator_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::VertexGenerator;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<VertexGenerator_I>("VertexGenerator"); }
};

}  // namespace PM
