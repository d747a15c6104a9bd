#include "render/ShaderExpression.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void ShaderExpression_I::Define() {
  const ClassDef classes[] = {AbstractClass<ShaderExpression_I>()};
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ShaderExpression_I>();

}  // namespace PM
