#include "anim/SplineQuaternionf.h"


namespace PM {

void SplineQuaternionf_I::Define() {
  const ClassDef classes[] = {ConcreteClass<SplineQuaternionf_I>()};
  DefineClasses(classes);
}
}  // namespace PM
