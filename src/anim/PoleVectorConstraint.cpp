#include "anim/PoleVectorConstraint.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefinePoleVectorConstraintClass() {
  const ClassDef classes[] = {ConcreteClass<PoleVectorConstraint_I>(Constraint_I::kClassId, "PoleVectorConstraint")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x05E, &DefinePoleVectorConstraintClass);

}  // namespace
}  // namespace PM
