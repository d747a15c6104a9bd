#include "geometry/Metaballs.h"


namespace PM {

void SMetaballs_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SMetaballs_I>(),
      ConcreteClass<TMetaballs_I>(),
  };
  DefineClasses(classes);
}
}  // namespace PM
