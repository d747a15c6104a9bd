#include "anim/PoleVectorConstraint.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void PoleVectorConstraint_I::Define() {
  const ClassDef classes[] = {ConcreteClass<PoleVectorConstraint_I>()};
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<PoleVectorConstraint_I>();

}  // namespace PM
