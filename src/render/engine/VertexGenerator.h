// Base of the generators that produce vertices for geometry.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class VertexGenerator_I : public EngineClass<VertexGenerator_I, Object_I, ClassId::VertexGenerator, "VertexGenerator"> {
 public:
  static void Define();
};

}  // namespace PM
