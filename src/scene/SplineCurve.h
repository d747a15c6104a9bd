// SSplineCurve and TSplineCurve: a cubic non-uniform B-spline (knots and control vertices) as a leaf.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SSplineCurve_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SSplineCurve;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SSplineCurve_I>("SSplineCurve"); }
  static ScriptObject* Create() { return NewEngineObject<SSplineCurve_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SSplineCurve_I>(extraBytes); }

  Array<float> m_knots;
  Array<Vector3f> m_cvs;
};

class TSplineCurve_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TSplineCurve;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TSplineCurve_I>("TSplineCurve"); }
  static ScriptObject* Create() { return NewEngineNode<TSplineCurve_I, SSplineCurve_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TSplineCurve_I, SSplineCurve_I>(n); }
};

}  // namespace PM
