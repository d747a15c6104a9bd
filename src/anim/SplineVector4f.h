// A curve of 4-component keys with in and out tangents; a step marker holds only its own component.
#pragma once

#include "anim/SplineFitted.h"
#include "scene/EngineClass.h"

namespace PM {

class SplineScalarf_I;

class SplineVector4f_I : public SplineFitted<KeyVector4f> {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF099;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineVector4f_I>("SplineVector4f"); }
  static ScriptObject* Create() { return NewEngineObject<SplineVector4f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineVector4f_I>(extraBytes); }

  // Rebuilds the keys from one scalar spline per component (x first); see AssembleFromScalarSplines.
  bool SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y, SplineScalarf_I* z,
                            SplineScalarf_I* w);
};

}  // namespace PM
