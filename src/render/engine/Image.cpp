#include "render/engine/Image.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineImageClass() {
  const ClassDef classes[] = {ConcreteClass<Image_I>(Object_I::kClassId, "Image")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x08A, &DefineImageClass);

}  // namespace
}  // namespace PM
