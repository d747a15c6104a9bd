// A curve of 2-component keys with in and out tangents; a step marker holds only its own component.
#pragma once

#include "anim/SplineFitted.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineScalarf_I;

class SplineVector2f_I
    : public EngineClass<SplineVector2f_I, SplineFitted<KeyVector2f>, ClassId::SplineVector2f, "SplineVector2f"> {
 public:
  static void Define();
  // Rebuilds the keys from one scalar spline per component (x first); see AssembleFromScalarSplines.
  bool SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y);
};

}  // namespace PM
