#include "render/engine/VertexGenerator.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineVertexGeneratorClass() {
  const ClassDef classes[] = {AbstractClass<VertexGenerator_I>(Object_I::kClassId, "VertexGenerator")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x0FE, &DefineVertexGeneratorClass);

}  // namespace
}  // namespace PM
