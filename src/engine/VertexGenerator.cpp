#include "engine/VertexGenerator.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void VertexGenerator_I::Define() {
  const ClassDef classes[] = {AbstractClass<VertexGenerator_I>()};
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<VertexGenerator_I>();

}  // namespace PM
