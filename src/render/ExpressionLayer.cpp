#include "render/ExpressionLayer.h"


namespace PM {

void ExpressionLayer_I::Define() {
  const ClassDef classes[] = {AbstractClass<ExpressionLayer_I>()};
  DefineClasses(classes);
}
}  // namespace PM
