// A curve of 2-component keys with in and out tangents; a step marker holds only its own component.
#pragma once

#include "anim/SplineFitted.h"
#include "scene/EngineClass.h"

namespace PM {

class SplineScalarf_I;

class SplineVector2f_I : public SplineFitted<KeyVector2f> {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF097;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineVector2f_I>("SplineVector2f"); }
  static ScriptObject* Create() { return NewEngineObject<SplineVector2f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineVector2f_I>(extraBytes); }

  // Rebuilds the keys from one scalar spline per component (x first); see AssembleFromScalarSplines.
  bool SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y);
};

}  // namespace PM
