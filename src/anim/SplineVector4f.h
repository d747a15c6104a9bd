// A curve of 4-component keys with in and out tangents; a step marker holds only its own component.
#pragma once

#include "anim/SplineFitted.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineScalarf_I;

class SplineVector4f_I
    : public EngineClass<SplineVector4f_I, SplineFitted<KeyVector4f>, ClassId::SplineVector4f, "SplineVector4f"> {
 public:
  static void Define();
  // Rebuilds the keys from one scalar spline per component (x first); see AssembleFromScalarSplines.
  bool SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y, SplineScalarf_I* z, SplineScalarf_I* w);
};

}  // namespace PM
