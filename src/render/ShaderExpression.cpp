#include "render/ShaderExpression.h"


namespace PM {

void ShaderExpression_I::Define() {
  const ClassDef classes[] = {AbstractClass<ShaderExpression_I>()};
  DefineClasses(classes);
}
}  // namespace PM
