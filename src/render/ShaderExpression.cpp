#include "render/ShaderExpression.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineShaderExpressionClass() {
  const ClassDef classes[] = {AbstractClass<ShaderExpression_I>(Object_I::kClassId, "ShaderExpression")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x083, &DefineShaderExpressionClass);

}  // namespace
}  // namespace PM
