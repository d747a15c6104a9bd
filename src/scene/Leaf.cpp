#include "scene/Leaf.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void SLeaf_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SLeaf_I>(),
      AbstractClass<TLeaf_I>(),
  };
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SLeaf_I>();

}  // namespace PM
