#include "geometry/Metaballs.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineMetaballsClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SMetaballs_I>(SPolygonGeometry_I::kClassId, "SMetaballs"),
      ConcreteClass<TMetaballs_I>(TPolygonGeometry_I::kClassId, "TMetaballs"),
  };
  DefineClasses(classes);
}

static const bool kEntry = AddEngineClassEntry(0x07A, &DefineMetaballsClasses);

}  // namespace PM
