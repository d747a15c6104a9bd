#include "scene/Leaf.h"


namespace PM {

void SLeaf_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SLeaf_I>(),
      AbstractClass<TLeaf_I>(),
  };
  DefineClasses(classes);
}
}  // namespace PM
