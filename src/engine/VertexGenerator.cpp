#include "engine/VertexGenerator.h"


namespace PM {

void VertexGenerator_I::Define() {
  const ClassDef classes[] = {AbstractClass<VertexGenerator_I>()};
  DefineClasses(classes);
}
}  // namespace PM
