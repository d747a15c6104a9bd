#include "anim/SplineQuaternionf.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineQuaternionfClass() {
  const ClassDef classes[] = {ConcreteClass<SplineQuaternionf_I>(SplineBase_I::kClassId, "SplineQuaternionf")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x09A, &DefineSplineQuaternionfClass);

}  // namespace
}  // namespace PM
