#include "render/engine/Image.h"


namespace PM {

void Image_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Image_I>()};
  DefineClasses(classes);
}
}  // namespace PM
