#include "render/ExpressionLayer.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineExpressionLayerClass() {
  const ClassDef classes[] = {AbstractClass<ExpressionLayer_I>(Object_I::kClassId, "ExpressionLayer")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x0B0, &DefineExpressionLayerClass);

}  // namespace
}  // namespace PM
