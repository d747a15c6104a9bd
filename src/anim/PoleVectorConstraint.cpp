#include "anim/PoleVectorConstraint.h"


namespace PM {

void PoleVectorConstraint_I::Define() {
  const ClassDef classes[] = {ConcreteClass<PoleVectorConstraint_I>()};
  DefineClasses(classes);
}
}  // namespace PM
